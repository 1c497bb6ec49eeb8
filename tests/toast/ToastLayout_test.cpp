// The card's layout rules, measured offscreen: width, buttons per state,
// previews, busy line, editor, paddings and right-to-left mirroring.
#include "toast/ToastLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "core/Fonts.h"
#include "core/Strings.h"
#include "tests/toast/Samples.h"
#include "ui/kit/Text.h"

namespace {

using Kind = ToastModel::Kind;
using A = ToastAction;

const Strings& english() {
  static const Strings t = L::table(Lang("en"));
  return t;
}

ToastLayout layOut(const ToastModel& m, bool fastMode = false, const Strings& texts = english(), bool rtl = false) {
  return ToastLayout::make(m, texts, fastMode, rtl, false);
}

std::vector<A> actionsOf(const ToastLayout& l) {
  std::vector<A> out;
  for (const auto& b : l.buttons) out.push_back(b.spec.action);
  return out;
}

std::vector<bool> strongOf(const ToastLayout& l) {
  std::vector<bool> out;
  for (const auto& b : l.buttons) out.push_back(b.spec.strong);
  return out;
}

// The card width the buttons ask for: 16 of padding each side, clamped.
int widthFor(std::initializer_list<QString> titles) {
  int w = 32;
  for (const QString& t : titles) w += int(std::ceil(Fonts::textWidth(t, 12, QFont::Medium))) + 18;
  return std::clamp(w, 300, 380);
}

}  // namespace

TEST(ToastLayout, TextOffersEditAndUndoAndALinkAddsAStrongOpen) {
  ToastModel m;
  m.setResult(samples::lines({"single line"}));
  ToastLayout l = layOut(m);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::edit, A::undo}));
  EXPECT_EQ(strongOf(l), (std::vector<bool>{false, true}));
  EXPECT_EQ(l.buttons[1].spec.help, "Ctrl+Z");
  EXPECT_EQ(l.width, 300);
  EXPECT_EQ(l.fitting.width(), 336) << "with the shadow's margin";
  EXPECT_EQ(l.buttons.back().rect.right(), l.card.right() - 12) << "at the trailing edge";

  m.setResult(samples::lines({"https://example.com/some/path"}));
  l = layOut(m);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::edit, A::undo, A::open}));
  EXPECT_EQ(strongOf(l), (std::vector<bool>{false, false, true}));
}

TEST(ToastLayout, TogglesFollowTheModesAndGoAfterAnEdit) {
  const Strings& t = english();
  ToastModel m;
  m.setResult(samples::withTable(samples::table(4, 2)));
  ToastLayout l = layOut(m);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::toggleTable, A::toggleJoin, A::edit, A::undo}));
  EXPECT_EQ(l.buttons[0].spec.title, t.asTable) << "names the mode it switches to";
  EXPECT_EQ(l.width, widthFor({t.asTable, t.joinOne, t.edit, t.undo}));
  m.setJoined(true);
  EXPECT_EQ(layOut(m).buttons[1].spec.title, t.keepLines);

  m.setAsTable(true);
  l = layOut(m);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::toggleTable, A::edit, A::undo})) << "no join in table mode";
  EXPECT_EQ(l.buttons[0].spec.title, t.asText);

  m.setEdited(QStringLiteral("edited"));
  l = layOut(m);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::edit, A::undo}));
  EXPECT_EQ(l.tableRowsShown, 0) << "the edit is previewed as text even in table mode";
  ASSERT_EQ(l.blocks.size(), 1u);
  EXPECT_EQ(l.blocks[0].paragraph->shownText(), "edited");
}

TEST(ToastLayout, WidthIsClampedAndFixedWhereNothingIsMeasured) {
  Strings t = english();
  t.edit = QStringLiteral("A label of a rather middling length, too");  // between the bounds: measured
  ToastModel m;
  m.setResult(samples::lines({"x"}));
  const int measured = ToastLayout::toastWidth(m, t, false);
  EXPECT_TRUE(measured > 300 && measured < 380) << measured;
  EXPECT_EQ(measured, widthFor({t.edit, t.undo}));
  t.edit = QStringLiteral("An extraordinarily long label for editing the recognised text in place");
  EXPECT_EQ(ToastLayout::toastWidth(m, t, false), 380);
  m.setEditing(true);
  EXPECT_EQ(ToastLayout::toastWidth(m, t, false), 300);
  m.setEditing(false);
  for (Kind k : {Kind::working, Kind::permission, Kind::undone, Kind::conflict, Kind::noDisplay, Kind::newerKept,
                 Kind::nothingToRestore}) {
    m.setKind(k);
    EXPECT_EQ(ToastLayout::toastWidth(m, t, true), 300) << int(k);
  }
}

TEST(ToastLayout, PreviewShowsTwoLinesOrThreeTableRowsAndMoreWhileHovered) {
  QStringList rows;
  for (int i = 1; i <= 14; ++i) rows << QStringLiteral("row %1").arg(i);
  ToastModel m;
  m.setResult(samples::lines(rows));
  EXPECT_EQ(layOut(m).blocks[0].paragraph->shownText(), "row 1\nrow 2\u2026");
  m.setHovering(true);
  EXPECT_TRUE(layOut(m).blocks[0].paragraph->shownText().endsWith("row 10\u2026"));
  m.setResult(samples::lines({"one", "two"}));
  EXPECT_FALSE(layOut(m).blocks[0].paragraph->truncated());

  struct Case {
    int rows;
    bool hovering;
    int shown;
  };
  m.setAsTable(true);
  for (const Case c : {Case{10, false, 3}, Case{10, true, 6}, Case{5, true, 5}}) {
    m.setResult(samples::withTable(samples::table(c.rows, 3)));
    m.setHovering(c.hovering);
    const ToastLayout l = layOut(m);
    const bool more = c.shown < c.rows;
    EXPECT_EQ(l.tableRowsShown, c.shown) << c.rows << (c.hovering ? " hovering" : "");
    EXPECT_EQ(l.cells.size(), size_t(c.shown * 3 + (more ? 1 : 0)));
    if (more) {
      EXPECT_EQ(l.cells.back().text, english().moreRows(c.rows - c.shown));
    }
    EXPECT_EQ(l.cells[0].font.weight(), QFont::Medium) << "the header row";
    EXPECT_EQ(l.cells[3].font.weight(), QFont::Normal);
  }
}

TEST(ToastLayout, WideTablesShareTheColumnAndNarrowColumnsKeepTheirWidth) {
  Table t;
  t.rows = {{"id", QString(60, 'W'), QString(60, 'M')}, {"1", "a", "b"}};
  ToastModel m;
  m.setResult(samples::withTable(t));
  m.setAsTable(true);
  const ToastLayout l = layOut(m);
  for (const auto& cell : l.cells) EXPECT_LE(cell.rect.right(), l.card.right() - 12 + 0.5) << cell.text.toStdString();
  EXPECT_GE(l.cells[0].rect.width(), std::ceil(kit::lineWidth("id", kit::font(12, QFont::Medium))));
  EXPECT_NEAR(l.cells[1].rect.width(), l.cells[2].rect.width(), 0.5) << "the wide ones give up alike";
}

TEST(ToastLayout, EmptyStateOffersRetryOnlyInFastMode) {
  const Strings& t = english();
  ToastModel m;
  m.setKind(Kind::empty);
  ToastLayout l = layOut(m, false);
  EXPECT_EQ(actionsOf(l), std::vector<A>{A::sameSpot});
  EXPECT_TRUE(l.buttons[0].spec.strong);
  l = layOut(m, true);
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::retryAccurate, A::sameSpot}));
  EXPECT_EQ(strongOf(l), (std::vector<bool>{false, true}));
  EXPECT_EQ(l.width, widthFor({t.retryAccurate, t.sameSpotAgain}));
  ASSERT_EQ(l.blocks.size(), 1u);
  EXPECT_EQ(l.blocks[0].paragraph->shownText(), t.emptySub);
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
  EXPECT_TRUE(l.editorBox.contains(l.editorText));
  EXPECT_EQ(actionsOf(l), (std::vector<A>{A::cancelEdit, A::commitEdit}));
  EXPECT_EQ(strongOf(l), (std::vector<bool>{false, true}));
  EXPECT_GT(l.buttons[0].rect.top(), l.editorBox.bottom());
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
  for (size_t i = 0; i < rtl.buttons.size(); ++i) EXPECT_EQ(rtl.buttons[i].rect.left(), W - ltr.buttons[i].rect.right());
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

// The messages that explain an outcome: a short title and the reason under
// it, whole, in every language (the reason wraps; the title must fit).
TEST(ToastLayout, MessagesShowTheirTitleAndTheWholeReasonInEveryLanguage) {
  for (const QString& code : Catalog::codes()) {
    const Strings t = L::table(Lang(code));
    for (auto [kind, title, reason] : {std::tuple{Kind::noDisplay, t.noDisplay, t.noDisplaySub},
                                       {Kind::newerKept, t.newerKept, t.newerKeptSub},
                                       {Kind::nothingToRestore, t.nothingToRestore, t.nothingToRestoreSub}}) {
      SCOPED_TRACE(code.toStdString() + " " + std::to_string(int(kind)));
      ToastModel m;
      m.setKind(kind);
      const ToastLayout l = layOut(m, false, t);
      EXPECT_EQ(l.title.text, title);
      EXPECT_LE(std::ceil(kit::lineWidth(title, l.title.font)), l.title.rect.width() + 0.5) << "the title is cut";
      ASSERT_EQ(l.blocks.size(), 1u);
      // Wrapped lines come back one per line: compare the words.
      const auto words = [](QString text) { return text.remove(QLatin1Char('\n')).remove(QLatin1Char(' ')); };
      EXPECT_EQ(words(l.blocks[0].paragraph->shownText()), words(reason));
      EXPECT_FALSE(l.blocks[0].paragraph->truncated());
      EXPECT_TRUE(l.buttons.empty());
      EXPECT_EQ(l.mark, ToastLayout::Mark::appMark);
    }
  }
}
