// The card's layout rules, measured offscreen: width, buttons per state,
// table preview rows, busy line, editor, paddings and right-to-left mirroring.
#include "toast/ToastLayout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/Fonts.h"
#include "core/Strings.h"
#include "tests/toast/Samples.h"
#include "ui/kit/Text.h"

namespace {

using Kind = ToastModel::Kind;
using A = ToastAction;

Strings english() { return L::table(Lang("en")); }

ToastLayout layOut(const ToastModel& m, bool fastMode = false, const Strings& texts = english(), bool rtl = false) {
  return ToastLayout::make(m, texts, fastMode, rtl, false);
}

std::vector<A> actionsOf(const ToastLayout& l) {
  std::vector<A> out;
  for (const auto& b : l.buttons) out.push_back(b.spec.action);
  return out;
}

int label(const QString& s) { return int(std::ceil(Fonts::textWidth(s, 12, QFont::Medium))) + 18; }

}  // namespace

TEST(ToastLayout, OneLineTextOffersEditAndAStrongUndoAt300) {
  ToastModel m;
  m.setResult(samples::lines({"single line"}));
  const Strings t = english();
  const ToastLayout l = layOut(m);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::edit, A::undo}));
  EXPECT_FALSE(l.buttons[0].spec.strong);
  EXPECT_TRUE(l.buttons[1].spec.strong);
  EXPECT_EQ(l.buttons[0].spec.help, "Ctrl+E");
  EXPECT_EQ(l.buttons[1].spec.help, "Ctrl+Z");
  EXPECT_EQ(l.width, std::max(300, 32 + label(t.edit) + label(t.undo)));
  EXPECT_EQ(l.width, 300);
  EXPECT_EQ(l.fitting.width(), 336);
  // The buttons sit at the trailing edge, 2 apart, inside the 12 of padding.
  EXPECT_EQ(l.buttons.back().rect.right(), l.card.right() - 12);
  EXPECT_EQ(l.buttons[1].rect.left() - l.buttons[0].rect.right(), 2);
}

TEST(ToastLayout, ALinkAddsAStrongOpenAndUndoLosesItsEmphasis) {
  ToastModel m;
  m.setResult(samples::lines({"https://example.com/some/path"}));
  const ToastLayout l = layOut(m);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::edit, A::undo, A::open}));
  EXPECT_FALSE(l.buttons[1].spec.strong);
  EXPECT_TRUE(l.buttons[2].spec.strong);
  EXPECT_EQ(l.buttons[2].spec.help, "Ctrl+O");
}

TEST(ToastLayout, TogglesFollowTheModesAndGoAfterAnEdit) {
  const Strings t = english();
  ToastModel m;
  m.setResult(samples::withTable(samples::table(4, 2)));
  ToastLayout l = layOut(m);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::toggleTable, A::toggleJoin, A::edit, A::undo}));
  EXPECT_EQ(l.buttons[0].spec.title, t.asTable) << "names the mode it switches to";
  EXPECT_EQ(l.buttons[1].spec.title, t.joinOne);
  EXPECT_EQ(l.width, std::clamp(32 + label(t.asTable) + label(t.joinOne) + label(t.edit) + label(t.undo), 300, 380));

  m.setJoined(true);
  EXPECT_EQ(layOut(m).buttons[1].spec.title, t.keepLines);
  m.setAsTable(true);
  l = layOut(m);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::toggleTable, A::edit, A::undo})) << "no join in table mode";
  EXPECT_EQ(l.buttons[0].spec.title, t.asText);

  m.setEdited(QStringLiteral("edited"));
  l = layOut(m);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::edit, A::undo}));
  EXPECT_EQ(l.width, 300);
  EXPECT_EQ(l.tableRowsShown, 0) << "the edit is previewed as text even in table mode";
  ASSERT_EQ(l.blocks.size(), 1u);
  EXPECT_EQ(l.blocks[0].paragraph->shownText(), "edited");
}

TEST(ToastLayout, WidthIsClampedAndFixedWhereNothingIsMeasured) {
  Strings t = english();
  t.edit = QStringLiteral("An extraordinarily long label for editing the recognised text in place");
  ToastModel m;
  m.setResult(samples::lines({"x"}));
  EXPECT_EQ(ToastLayout::toastWidth(m, t, false), 380);
  m.setKind(Kind::working);
  EXPECT_EQ(ToastLayout::toastWidth(m, t, false), 300);
  for (const char* code : {"de", "ru", "ar", "ja"}) {
    EXPECT_EQ(ToastLayout::toastWidth(m, L::table(Lang(QString::fromLatin1(code))), false), 300) << code;
  }
  for (Kind k : {Kind::permission, Kind::undone, Kind::conflict}) {
    m.setKind(k);
    EXPECT_EQ(ToastLayout::toastWidth(m, t, true), 300);
  }
  m.setKind(Kind::picked);
  m.setEditing(true);
  EXPECT_EQ(ToastLayout::toastWidth(m, t, false), 300);
}

TEST(ToastLayout, TablePreviewShowsThreeRowsOrSixWhileHovered) {
  const Strings t = english();
  struct Case {
    int rows;
    bool hovering;
    int shown;
    bool more;
  };
  for (const Case c : {Case{10, false, 3, true}, Case{10, true, 6, true}, Case{3, false, 3, false},
                       Case{5, true, 5, false}, Case{1, false, 1, false}}) {
    ToastModel m;
    m.setResult(samples::withTable(samples::table(c.rows, 3)));
    m.setAsTable(true);
    m.setHovering(c.hovering);
    const ToastLayout l = layOut(m);
    EXPECT_EQ(l.tableRowsShown, c.shown) << c.rows << (c.hovering ? " hovering" : "");
    EXPECT_EQ(l.moreRowsLine, c.more);
    EXPECT_EQ(l.cells.size(), size_t(c.shown * 3 + (c.more ? 1 : 0)));
    if (c.more) {
      EXPECT_EQ(l.cells.back().text, t.moreRows(c.rows - c.shown));
    }
    EXPECT_EQ(l.cells[0].font.weight(), QFont::Medium) << "the header row";
    if (c.shown > 1) {
      EXPECT_EQ(l.cells[3].font.weight(), QFont::Normal);
    }
  }
}

TEST(ToastLayout, WideTablesShareTheColumnAndNarrowColumnsKeepTheirWidth) {
  Table t;
  t.rows = {{"id", QString(60, 'W'), QString(60, 'M')}, {"1", "a", "b"}};
  ToastModel m;
  m.setResult(samples::withTable(t));
  m.setAsTable(true);
  const ToastLayout l = layOut(m);
  const qreal right = l.card.right() - 12;
  for (const auto& cell : l.cells) EXPECT_LE(cell.rect.right(), right + 0.5) << cell.text.toStdString();
  EXPECT_GE(l.cells[0].rect.width(), std::ceil(kit::lineWidth("id", kit::font(12, QFont::Medium))));
  EXPECT_NEAR(l.cells[1].rect.width(), l.cells[2].rect.width(), 0.5) << "the wide ones give up alike";
}

TEST(ToastLayout, PreviewShowsTwoLinesOrTenWhileHovered) {
  QStringList rows;
  for (int i = 1; i <= 14; ++i) rows << QStringLiteral("row %1").arg(i);
  ToastModel m;
  m.setResult(samples::lines(rows));
  ToastLayout l = layOut(m);
  ASSERT_EQ(l.blocks.size(), 1u);
  EXPECT_EQ(l.blocks[0].paragraph->lineCount(), 2);
  EXPECT_TRUE(l.blocks[0].paragraph->truncated());
  EXPECT_EQ(l.blocks[0].paragraph->shownText(), "row 1\nrow 2\u2026");
  m.setHovering(true);
  l = layOut(m);
  EXPECT_EQ(l.blocks[0].paragraph->lineCount(), 10);
  EXPECT_TRUE(l.blocks[0].paragraph->shownText().endsWith("row 10\u2026"));
  m.setResult(samples::lines({"one", "two"}));
  l = layOut(m);
  EXPECT_FALSE(l.blocks[0].paragraph->truncated());
  EXPECT_EQ(l.blocks[0].paragraph->shownText(), "one\ntwo");
}

TEST(ToastLayout, BusyLineOnlyOnAWorkingToastWithAFigure) {
  ToastModel m;
  m.setKind(Kind::working);
  EXPECT_TRUE(layOut(m).busyDot.isEmpty());
  m.setBusyCPU(87);
  ToastLayout l = layOut(m);
  ASSERT_FALSE(l.busyDot.isEmpty());
  ASSERT_EQ(l.busy.size(), 3u);
  EXPECT_EQ(l.busy[0].text, "!");
  EXPECT_EQ(l.busy[1].text, english().busy);
  EXPECT_EQ(l.busy[2].text, "CPU 87%");
  EXPECT_EQ(l.busy[2].rect.right(), l.card.right() - 12) << "the figure keeps to the trailing edge";
  ASSERT_EQ(l.rules.size(), 1u);
  // The rule lies over the top of the line's 7 of padding.
  EXPECT_NEAR(std::min(l.busyDot.top(), l.busy[1].rect.top()), l.rules[0].top() + 7, 0.01);
  for (Kind k : {Kind::picked, Kind::empty, Kind::undone, Kind::conflict, Kind::permission}) {
    m.setKind(k);
    EXPECT_TRUE(layOut(m).busyDot.isEmpty()) << int(k);
  }
}

TEST(ToastLayout, EmptyStateOffersRetryOnlyInFastMode) {
  ToastModel m;
  m.setKind(Kind::empty);
  ToastLayout l = layOut(m, false);
  EXPECT_EQ(actionsOf(l), std::vector<A>{A::sameSpot});
  EXPECT_TRUE(l.buttons[0].spec.strong);
  l = layOut(m, true);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::retryAccurate, A::sameSpot}));
  EXPECT_FALSE(l.buttons[0].spec.strong);
  const Strings t = english();
  EXPECT_EQ(l.width, std::clamp(32 + label(t.retryAccurate) + label(t.sameSpotAgain), 300, 380));
  ASSERT_EQ(l.blocks.size(), 1u);
  EXPECT_EQ(l.blocks[0].paragraph->shownText(), t.emptySub);
}

TEST(ToastLayout, PaddingsAndRowsPerKind) {
  ToastModel m;
  m.setResult(samples::lines({"text"}));
  for (Kind k : {Kind::working, Kind::permission, Kind::undone, Kind::conflict}) {
    m.setKind(k);
    const ToastLayout l = layOut(m);
    EXPECT_TRUE(l.buttons.empty()) << int(k);
    EXPECT_TRUE(l.rules.empty());
    const qreal contentBottom = std::max(l.markRect.bottom(), l.blocks.empty() ? 0 : l.blocks[0].topLeft.y() + l.blocks[0].paragraph->height());
    EXPECT_NEAR(l.card.bottom() - contentBottom, 10, 1) << int(k);
  }
  for (Kind k : {Kind::picked, Kind::empty}) {
    m.setKind(k);
    const ToastLayout l = layOut(m);
    EXPECT_EQ(l.card.bottom() - l.buttons.back().rect.bottom(), 8) << int(k);
    ASSERT_EQ(l.rules.size(), 1u);
    EXPECT_EQ(l.buttons.back().rect.top() - l.rules[0].top(), 6);
  }
  EXPECT_EQ(layOut(m).fitting.height(), int(std::ceil(layOut(m).card.bottom())) + 18);
}

TEST(ToastLayout, EditingKeepsTheTitleHidesThePreviewAndOffersSave) {
  ToastModel m;
  m.setResult(samples::withTable(samples::table(5, 2)));
  m.setAsTable(true);
  m.setEditing(true);
  const ToastLayout l = layOut(m);
  EXPECT_EQ(l.title.text, english().picked);
  EXPECT_TRUE(l.blocks.empty());
  EXPECT_EQ(l.tableRowsShown, 0);
  EXPECT_EQ(l.width, 300);
  EXPECT_EQ(l.editorBox.height(), 110);
  EXPECT_EQ(l.editorText, l.editorBox.adjusted(6, 6, -6, -6));
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::cancelEdit, A::commitEdit}));
  EXPECT_TRUE(l.buttons[1].spec.strong);
  EXPECT_EQ(l.buttons[0].rect.top() - l.editorBox.bottom(), 6);
}

TEST(ToastLayout, RightToLeftMirrorsTheWholeCard) {
  ToastModel m;
  m.setResult(samples::lines({"first", "second"}));
  const Strings t = L::table(Lang("ar"));
  const ToastLayout ltr = layOut(m, false, t, false);
  const ToastLayout rtl = layOut(m, false, t, true);
  const qreal W = ltr.fitting.width();
  EXPECT_EQ(rtl.fitting, ltr.fitting);
  EXPECT_EQ(rtl.markRect, QRectF(W - ltr.markRect.right(), ltr.markRect.top(), 24, 24));
  EXPECT_GT(rtl.markRect.left(), rtl.card.center().x()) << "the mark goes to the right";
  ASSERT_EQ(rtl.buttons.size(), ltr.buttons.size());
  for (size_t i = 0; i < rtl.buttons.size(); ++i) {
    EXPECT_EQ(rtl.buttons[i].rect.left(), W - ltr.buttons[i].rect.right());
  }
  EXPECT_EQ(rtl.buttons.back().rect.left(), rtl.card.left() + 12) << "the buttons keep to the left";
  EXPECT_TRUE(rtl.title.align & Qt::AlignRight);
  EXPECT_EQ(rtl.title.rect.right(), rtl.markRect.left() - 10);
}


TEST(ToastLayout, TheFullestButtonRowFitsTheCardInEveryLanguage) {
  ToastModel m;
  Recognized r = samples::withTable(samples::table(4, 2));
  r.codes = {samples::code("https://x.example", true)};
  m.setResult(r);
  for (const QString& code : Catalog::codes()) {
    const ToastLayout l = layOut(m, false, L::table(Lang(code)));
    ASSERT_EQ(l.buttons.size(), 5u);
    EXPECT_GE(l.buttons.front().rect.left(), l.card.left() + 12) << code.toStdString() << " width " << l.width;
  }
}
