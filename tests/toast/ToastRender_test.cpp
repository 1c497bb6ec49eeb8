// Every kind of toast rendered offscreen in light and dark, probed by pixel
// (pictures for a reviewer: "tarvok -snapshot FOLDER").
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "core/Fonts.h"
#include "core/Ink.h"
#include "tests/support/ViewProbe.h"
#include "tests/toast/Samples.h"
#include "toast/ToastModel.h"
#include "toast/ToastView.h"
#include "ui/kit/Render.h"

namespace {

using Kind = ToastModel::Kind;
constexpr qreal kScale = 2;

int distance(QRgb a, const QColor& b) {
  return std::abs(qRed(a) - b.red()) + std::abs(qGreen(a) - b.green()) + std::abs(qBlue(a) - b.blue());
}

// One render of the model in one appearance, with the layout it was drawn from.
struct Shot {
  QImage image;
  ToastLayout layout;
  bool dark = false;

  QRgb at(QPointF logical) const { return image.pixel((logical * kScale).toPoint()); }
  QImage crop(const QRectF& logical) const {
    return image.copy(QRectF(logical.topLeft() * kScale, logical.size() * kScale).toRect());
  }
  // How many opaque pixels of a logical rect are within `tolerance` of a colour.
  int count(const QRectF& logical, const QColor& c, int tolerance = 30) const {
    const QImage part = crop(logical);
    int n = 0;
    for (int y = 0; y < part.height(); ++y)
      for (int x = 0; x < part.width(); ++x)
        n += qAlpha(part.pixel(x, y)) > 200 && distance(part.pixel(x, y), c) <= tolerance;
    return n;
  }
  QColor panel() const { return Ink::panel(dark); }
  QColor onPanel(const QColor& ink) const { return probe::blend(QColor(ink.rgb()), panel(), ink.alphaF()); }
};

class ToastRender : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    Fonts::registerAll();
    Settings::shared().setLanguage(Lang("en"));
    Appearance::setReduceMotionForced(true);
  }
  // Renders the model, saves the picture and checks what every card has: the
  // panel colour inside, nothing beyond the shadow, a shadow under the card, a title.
  Shot shoot(const QString& name) {
    Appearance::setForced(dark());
    ToastView view(model_, {});
    view.settle();
    Shot s{kit::renderWidget(&view, kScale), view.cardLayout(), dark()};
    const ToastLayout& l = s.layout;
    EXPECT_LE(distance(s.at(QPointF(l.card.left() + 3, l.card.center().y())), s.panel()), 3) << name.toStdString();
    EXPECT_EQ(qAlpha(s.at(QPointF(1, 1))), 0);
    EXPECT_GT(qAlpha(s.at(QPointF(l.card.center().x(), l.card.bottom() + 5))), 0) << "the drop shadow";
    EXPECT_GT(s.count(l.title.rect, Ink::text(dark())) + s.count(l.title.rect, Ink::sealText(dark())), 10);
    return s;
  }
  samples::SettingsScope scope_;
  ToastModel model_;
  bool dark() const { return GetParam(); }
};

}  // namespace

TEST_P(ToastRender, PickedTextWithItsStampAndButtons) {
  model_.setResult(samples::lines({"The quick brown fox jumps over the lazy dog and keeps on running",
                                   "through the long grass until the evening comes.", "Third line", "Fourth"}));
  const Shot s = shoot("picked-text");
  EXPECT_GT(s.count(s.layout.title.rect, Ink::sealText(dark())), 10) << "a done title is seal-coloured";
  EXPECT_LE(distance(s.at(s.layout.markRect.center() + QPointF(0, 7)), Ink::seal()), 3) << "the stamp";
  const auto edit = s.layout.buttons.end() - 2, undo = edit + 1;
  EXPECT_LE(distance(s.at(undo->rect.topLeft() + QPointF(3, 12)), s.onPanel(Ink::fill(dark()))), 3) << "strong undo";
  EXPECT_LE(distance(s.at(edit->rect.topLeft() + QPointF(3, 12)), s.panel()), 3) << "plain edit is not filled";
  EXPECT_GT(s.count(QRectF(s.layout.blocks[0].topLeft, QSizeF(200, 30)), Ink::sub(dark()), 40), 20) << "the preview";

  model_.setEditing(true);
  model_.setDraft("First line of text\nsecond");
  const Shot e = shoot("editing");
  EXPECT_LE(distance(e.at(e.layout.editorBox.topLeft() + QPointF(4, 100)), e.onPanel(Ink::fill(dark()))), 3);
  EXPECT_GT(e.count(e.layout.editorText.adjusted(0, 0, 0, -60), Ink::text(dark()), 40), 20) << "the draft";
}

TEST_P(ToastRender, PickedTableRowsInTheirInks) {
  model_.setResult(samples::withTable(samples::table(10, 3)));
  model_.setAsTable(true);
  const Shot s = shoot("picked-table");
  ASSERT_EQ(s.layout.cells.size(), 10u);
  EXPECT_GT(s.count(s.layout.cells[0].rect, Ink::text(dark()), 40), 5) << "the header row in text colour";
  EXPECT_GT(s.count(s.layout.cells[3].rect, Ink::sub(dark()), 40), 5);
  EXPECT_GT(s.count(s.layout.cells.back().rect, Ink::faint(dark()), 40), 5) << "the more-rows line";
}

TEST_P(ToastRender, OtherKindsShowTheirMark) {
  model_.setKind(Kind::working);
  model_.setBusyCPU(87);
  const Shot s = shoot("working");
  EXPECT_GT(s.count(s.layout.markRect, Ink::seal(), 20), 20) << "the dashed frame";
  EXPECT_LE(distance(s.at(s.layout.markRect.center()), s.panel()), 3) << "a frame, not a filled square";
  ASSERT_EQ(s.layout.busy.size(), 3u);
  EXPECT_EQ(s.layout.busy[2].text, "CPU 87%");
  EXPECT_GT(s.count(s.layout.busy[1].rect, Ink::sealText(dark()), 40), 10) << "the busy line";
  EXPECT_GT(s.count(s.layout.rules[0], s.onPanel(Ink::rule(dark())), 4), 50);
  for (auto [kind, name] : {std::pair{Kind::empty, "empty"}, {Kind::undone, "undone"}, {Kind::conflict, "conflict"},
                            {Kind::permission, "permission"}}) {
    model_.setKind(kind);
    const Shot k = shoot(name);
    const QRectF mark = k.layout.markRect;
    EXPECT_LT(k.count(mark, k.panel(), 30), int(mark.width() * mark.height() * kScale * kScale) - 20)
        << name << ": the app mark";
  }
}

TEST_P(ToastRender, ArabicIsMirroredButTheCheckIsNot) {
  model_.setResult(samples::lines({"مرحبا بالعالم", "second line"}));
  const Shot en = shoot("picked-english");
  Settings::shared().setLanguage(Lang("ar"));
  const Shot ar = shoot("picked-arabic");
  EXPECT_GT(ar.layout.markRect.left(), ar.layout.card.center().x());
  EXPECT_TRUE(ar.crop(ar.layout.markRect) == en.crop(en.layout.markRect)) << "the stamp moves, its check does not turn";
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, ToastRender, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "dark" : "light"; });
