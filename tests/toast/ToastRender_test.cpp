// Every kind of toast rendered offscreen in light and dark, probed by pixel
// and written as PNG files (renders/ beside the test binary) for a reviewer.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <cmath>

#include "core/Fonts.h"
#include "core/Ink.h"
#include "tests/toast/Samples.h"
#include "toast/StampCheck.h"
#include "toast/ToastModel.h"
#include "toast/ToastView.h"
#include "ui/kit/Render.h"

namespace {

using Kind = ToastModel::Kind;
constexpr qreal kScale = 2;

int distance(QRgb a, const QColor& b) {
  return std::abs(qRed(a) - b.red()) + std::abs(qGreen(a) - b.green()) + std::abs(qBlue(a) - b.blue());
}

// A translucent colour laid over an opaque one.
QColor over(const QColor& top, const QColor& bottom) {
  const qreal a = top.alphaF();
  return QColor::fromRgbF(float(top.redF() * a + bottom.redF() * (1 - a)), float(top.greenF() * a + bottom.greenF() * (1 - a)),
                          float(top.blueF() * a + bottom.blueF() * (1 - a)));
}

// One render of the model in one appearance, with the layout it was drawn from.
struct Shot {
  QImage image;
  ToastLayout layout;
  bool dark = false;

  QRgb at(QPointF logical) const { return image.pixel((logical * kScale).toPoint()); }
  // How many pixels of a logical rect are within `tolerance` of a colour
  // (or, with a negative tolerance, further than that from it).
  int count(const QRectF& logical, const QColor& c, int tolerance = 30) const {
    const QRect r = QRectF(logical.topLeft() * kScale, logical.size() * kScale).toAlignedRect() & image.rect();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) {
        const int d = distance(image.pixel(x, y), c);
        n += tolerance < 0 ? d > -tolerance : qAlpha(image.pixel(x, y)) > 200 && d <= tolerance;
      }
    return n;
  }
  QColor onPanel(const QColor& ink) const { return over(ink, Ink::panel(dark)); }
};

Shot shoot(ToastModel& model, const QString& name, bool dark) {
  Appearance::setForced(dark);
  ToastView view(model, {});
  view.settle();
  Shot shot{kit::renderWidget(&view, kScale), view.cardLayout(), dark};
  QDir().mkpath(QStringLiteral("renders"));
  shot.image.save(QStringLiteral("renders/%1-%2.png").arg(name, dark ? "dark" : "light"));
  return shot;
}

// What every card has: the panel colour inside, nothing beyond the shadow, a
// shadow under the card.
void expectCard(const Shot& s) {
  const ToastLayout& l = s.layout;
  EXPECT_LE(distance(s.at(QPointF(l.card.left() + 3, l.card.center().y())), Ink::panel(s.dark)), 3);
  EXPECT_EQ(qAlpha(s.at(QPointF(1, 1))), 0);
  EXPECT_GT(qAlpha(s.at(QPointF(l.card.center().x(), l.card.bottom() + 5))), 0) << "the drop shadow";
  EXPECT_GT(s.count(l.title.rect, Ink::text(s.dark)) + s.count(l.title.rect, Ink::sealText(s.dark)), 10) << "a title";
}

class ToastRender : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    Fonts::registerAll();
    Settings::shared().setLanguage(Lang("en"));
    Appearance::setReduceMotionForced(true);
  }
  samples::SettingsScope scope_;
  ToastModel model_;
  bool dark() const { return GetParam(); }
};

}  // namespace

TEST_P(ToastRender, PickedText) {
  model_.setResult(samples::lines({"The quick brown fox jumps over the lazy dog and keeps on running",
                                   "through the long grass until the evening comes.", "Third line", "Fourth"}));
  const Shot s = shoot(model_, "picked-text", dark());
  expectCard(s);
  EXPECT_GT(s.count(s.layout.title.rect, Ink::sealText(dark())), 10) << "a done title is seal-coloured";
  EXPECT_LE(distance(s.at(s.layout.markRect.center() + QPointF(0, 7)), Ink::seal()), 3) << "the stamp";
  const auto edit = s.layout.buttons.end() - 2, undo = edit + 1;
  EXPECT_LE(distance(s.at(undo->rect.topLeft() + QPointF(3, 12)), s.onPanel(Ink::fill(dark()))), 3)
      << "strong undo is filled";
  EXPECT_LE(distance(s.at(edit->rect.topLeft() + QPointF(3, 12)), Ink::panel(dark())), 3) << "plain edit is not";
  EXPECT_GT(s.count(QRectF(s.layout.blocks[0].topLeft, QSizeF(200, 30)), Ink::sub(dark()), 40), 20) << "the preview";
}

TEST_P(ToastRender, PickedTable) {
  model_.setResult(samples::withTable(samples::table(10, 3)));
  model_.setAsTable(true);
  const Shot s = shoot(model_, "picked-table", dark());
  expectCard(s);
  ASSERT_EQ(s.layout.cells.size(), 10u);
  EXPECT_GT(s.count(s.layout.cells[0].rect, Ink::text(dark()), 40), 5) << "the header row in text colour";
  EXPECT_GT(s.count(s.layout.cells[3].rect, Ink::sub(dark()), 40), 5);
  EXPECT_GT(s.count(s.layout.cells.back().rect, Ink::faint(dark()), 40), 5) << "the more-rows line";
}

TEST_P(ToastRender, WorkingWhenBusy) {
  model_.setKind(Kind::working);
  model_.setBusyCPU(87);
  const Shot s = shoot(model_, "working", dark());
  expectCard(s);
  EXPECT_GT(s.count(s.layout.markRect, Ink::seal(), 20), 20) << "the dashed frame";
  EXPECT_LE(distance(s.at(s.layout.markRect.center()), Ink::panel(dark())), 3) << "a frame, not a filled square";
  EXPECT_GT(s.count(s.layout.busy[1].rect, Ink::sealText(dark()), 40), 10);
  EXPECT_GT(s.count(s.layout.rules[0], s.onPanel(Ink::rule(dark())), 4), 50);
}

TEST_P(ToastRender, EmptyUndoneConflictAndPermission) {
  for (auto [kind, name] : {std::pair{Kind::empty, "empty"}, {Kind::undone, "undone"}, {Kind::conflict, "conflict"},
                            {Kind::permission, "permission"}}) {
    model_.setKind(kind);
    const Shot s = shoot(model_, name, dark());
    expectCard(s);
    EXPECT_GT(s.count(s.layout.markRect, Ink::panel(dark()), -30), 20) << name << ": the app mark";
  }
}

TEST_P(ToastRender, Editing) {
  model_.setResult(samples::lines({"First line of text", "second"}));
  model_.setEditing(true);
  model_.setDraft("First line of text\nsecond");
  const Shot s = shoot(model_, "editing", dark());
  expectCard(s);
  EXPECT_LE(distance(s.at(s.layout.editorBox.topLeft() + QPointF(4, 100)), s.onPanel(Ink::fill(dark()))), 3);
  EXPECT_GT(s.count(s.layout.editorText.adjusted(0, 0, 0, -60), Ink::text(dark()), 40), 20) << "the draft";
}

TEST_P(ToastRender, ArabicIsMirroredButTheCheckIsNot) {
  model_.setResult(samples::lines({"مرحبا بالعالم", "second line"}));
  const Shot en = shoot(model_, "picked-english", dark());
  Settings::shared().setLanguage(Lang("ar"));
  const Shot ar = shoot(model_, "picked-arabic", dark());
  expectCard(ar);
  EXPECT_GT(ar.layout.markRect.left(), ar.layout.card.center().x());
  auto stamp = [](const Shot& s) {
    return s.image.copy(QRectF(s.layout.markRect.topLeft() * kScale, s.layout.markRect.size() * kScale).toRect());
  };
  EXPECT_TRUE(stamp(ar) == stamp(en)) << "the stamp moves but its check is drawn as ever";
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, ToastRender, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "dark" : "light"; });
