#pragma once
#include <QFont>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "toast/Paragraph.h"
#include "toast/ToastModel.h"

struct Strings;

// What a toast button does; one per callback of the view's actions.
enum class ToastAction { toggleTable, toggleJoin, edit, commitEdit, cancelEdit, undo, open, retryAccurate, sameSpot };

struct ToastButtonSpec {
  QString title;
  bool strong = false;
  ToastAction action = ToastAction::edit;
  QString help;  // tooltip: the key that does the same
  friend bool operator==(const ToastButtonSpec&, const ToastButtonSpec&) = default;
};

// The geometry and contents of one toast card, worked out from the model, the
// settings and the interface texts. Coordinates are logical pixels in the
// view, the outer shadow margin included, already mirrored for right-to-left
// interfaces. Colours are named by role and resolved when painted.
struct ToastLayout {
  enum class Role { text, sub, faint, sealText, onSeal };
  enum class Mark { marching, stamp, appMark };

  struct Line {  // one line of text, cut with "…" when too long
    QRectF rect;
    QString text;
    QFont font;
    Role role = Role::text;
    qreal letterSpacing = 0;
    Qt::Alignment align = Qt::AlignLeft;  // absolute
  };
  struct Block {  // wrapped text
    QPointF topLeft;
    std::shared_ptr<Paragraph> paragraph;
    Role role = Role::sub;
  };
  struct Button {
    ToastButtonSpec spec;
    QRectF rect;
  };

  static constexpr int kMargin = 18;  // room for the shadow round the card
  static constexpr int kMinWidth = 300;
  static constexpr int kMaxWidth = 380;

  bool rtl = false;
  int width = kMinWidth;   // the card's width (toastWidth)
  QSize fitting;           // the whole view: card plus margins
  QRectF card;
  Mark mark = Mark::appMark;
  QRectF markRect;         // the 24-pixel mark
  Line title;
  Line sub;
  std::vector<Block> blocks;       // preview or explanatory lines
  std::vector<Line> cells;         // table preview, row by row, then the more-rows line
  int tableRowsShown = 0;
  bool moreRowsLine = false;
  std::vector<QRectF> rules;       // 1-pixel lines over the top of the busy line and button rows
  QRectF busyDot;                  // the seal circle of the busy line (empty: no busy line)
  std::vector<Line> busy;          // "!", the busy text, the CPU figure
  QRectF editorBox;                // the editor's rounded field (empty: not editing)
  QRectF editorText;               // where the text editor goes inside it
  std::vector<Button> buttons;

  // Lays out a card for the model in the given texts.
  static ToastLayout make(const ToastModel& model, const Strings& texts, bool fastMode, bool rtl, bool korean);

  // The buttons of the row under the header (picked and not editing, or
  // empty), of the editor (picked and editing), or none, in leading-to-trailing order.
  static std::vector<ToastButtonSpec> buttonsFor(const ToastModel& model, const Strings& texts, bool fastMode);
  // The labels the card's width is measured from; empty: the width is fixed at 300.
  static QStringList widthLabels(const ToastModel& model, const Strings& texts, bool fastMode);
  // 32 + Σ (label width at 12 px medium, rounded up, + 18), clamped to 300...380.
  static int toastWidth(const ToastModel& model, const Strings& texts, bool fastMode);
};
