#include "toast/ToastLayout.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "core/Fonts.h"
#include "core/Strings.h"
#include "ui/kit/Text.h"

namespace {

using Kind = ToastModel::Kind;
using Role = ToastLayout::Role;

constexpr qreal kPadX = 12;
constexpr qreal kPadTop = 10;
constexpr qreal kStack = 8;        // between the card's rows
constexpr qreal kMarkSide = 24;
constexpr qreal kMarkGap = 10;
constexpr qreal kColumnGap = 3;    // between the title row and the lines under it
constexpr qreal kTitleGap = 8;
constexpr qreal kButtonH = 24;
constexpr qreal kButtonGap = 2;
constexpr qreal kRowPadTop = 6;    // button rows
constexpr qreal kBusyPadTop = 7;
constexpr qreal kEditorH = 110;
constexpr qreal kEditorPad = 6;
constexpr qreal kGridColumnGap = 12;
constexpr qreal kGridRowGap = 2;

const QString kHelpEdit = QStringLiteral("Ctrl+E");
const QString kHelpUndo = QStringLiteral("Ctrl+Z");
const QString kHelpOpen = QStringLiteral("Ctrl+O");

bool hasTable(const ToastModel& m) { return m.result().table.has_value(); }
bool joinOffered(const ToastModel& m) { return !m.asTable() && m.result().lines.size() >= 2; }

QString tableToggleTitle(const ToastModel& m, const Strings& t) { return m.asTable() ? t.asText : t.asTable; }
QString joinToggleTitle(const ToastModel& m, const Strings& t) { return m.joined() ? t.keepLines : t.joinOne; }

qreal ascent(const QFont& f) { return QFontMetricsF(f).ascent(); }
qreal descent(const QFont& f) { return QFontMetricsF(f).descent(); }
qreal lineHeight(const QFont& f) { return QFontMetricsF(f).height(); }

// Column widths that fit `room`: narrow columns keep their width, the widest
// give up what is missing, all cut to the same cap.
std::vector<qreal> fitColumns(std::vector<qreal> widths, qreal room) {
  qreal total = 0;
  for (qreal w : widths) total += w;
  if (total <= room || widths.empty()) return widths;
  std::vector<qreal> sorted = widths;
  std::sort(sorted.begin(), sorted.end());
  qreal cap = 0;
  qreal before = 0;  // sum of the columns narrower than the cap
  for (size_t i = 0; i < sorted.size(); ++i) {
    const qreal rest = qreal(sorted.size() - i);
    cap = (room - before) / rest;
    if (cap <= sorted[i]) break;
    before += sorted[i];
  }
  cap = std::max<qreal>(0, cap);
  for (qreal& w : widths) w = std::min(w, cap);
  return widths;
}

class Builder {
 public:
  Builder(const ToastModel& m, const Strings& t, bool fastMode, bool rtl, bool korean)
      : m_(m), t_(t), fastMode_(fastMode), korean_(korean) {
    out_.rtl = rtl;
  }

  ToastLayout build() {
    out_.width = ToastLayout::toastWidth(m_, t_, fastMode_);
    x0_ = ToastLayout::kMargin + kPadX;
    inner_ = out_.width - 2 * kPadX;
    qreal y = ToastLayout::kMargin + kPadTop;
    y = header(y);
    if (m_.kind() == Kind::working && m_.busyCPU()) y = busyLine(y + kStack, *m_.busyCPU());
    if (m_.kind() == Kind::picked && m_.editing()) {
      y = editor(y + kStack);
    } else if (m_.kind() == Kind::picked || m_.kind() == Kind::empty) {
      y += kStack;
      out_.rules.push_back(QRectF(x0_, y, inner_, 1));
      y = buttonRow(y + kRowPadTop, ToastLayout::buttonsFor(m_, t_, fastMode_));
    }
    const bool expanded = m_.kind() == Kind::picked || m_.kind() == Kind::empty;
    y += expanded ? 8 : 10;
    out_.card = QRectF(ToastLayout::kMargin, ToastLayout::kMargin, out_.width, y - ToastLayout::kMargin);
    out_.fitting = QSize(out_.width + 2 * ToastLayout::kMargin, int(std::ceil(y)) + ToastLayout::kMargin);
    if (out_.rtl) mirror();
    return std::move(out_);
  }

 private:
  // The mark and the column of title row and lines; returns the bottom.
  qreal header(qreal y0) {
    switch (m_.kind()) {
      case Kind::working: out_.mark = ToastLayout::Mark::marching; break;
      case Kind::picked: out_.mark = ToastLayout::Mark::stamp; break;
      default: out_.mark = ToastLayout::Mark::appMark; break;
    }
    const qreal colX = x0_ + kMarkSide + kMarkGap;
    const qreal colW = columnWidth();
    // The column is laid out from 0 and moved into place once its height is known.
    std::vector<ToastLayout::Line> lines;
    std::vector<ToastLayout::Block> blocks;
    qreal h = titleRow(colX, colW, lines);
    const QString below = linesBelow();
    if (m_.kind() == Kind::picked && !m_.editing()) {
      h += kColumnGap;
      h = (m_.tableShown() && !m_.edited()) ? tablePreview(colX, h, colW, lines) : preview(colX, h, colW, blocks);
    } else if (!below.isEmpty()) {
      h += kColumnGap;
      Paragraph::Options options;
      options.alignRight = out_.rtl;
      auto p = std::make_shared<Paragraph>(below, kit::font(11, QFont::Normal), colW, options);
      blocks.push_back({QPointF(colX, h), p, Role::faint});
      h += p->height();
    }
    const qreal rowH = std::max(kMarkSide, h);
    const bool topAligned = m_.kind() == Kind::picked;
    const qreal shift = y0 + offset(topAligned, rowH, h);
    out_.markRect = QRectF(x0_, y0 + offset(topAligned, rowH, kMarkSide), kMarkSide, kMarkSide);
    for (auto& l : lines) l.rect.translate(0, shift);
    for (auto& b : blocks) b.topLeft += QPointF(0, shift);
    out_.title = lines[0];
    out_.sub = lines[1];
    out_.cells.assign(lines.begin() + 2, lines.end());
    out_.blocks = std::move(blocks);
    return y0 + rowH;
  }

  // Where a child of height h starts in a row of height rowH, top- or centre-aligned.
  static qreal offset(bool topAligned, qreal rowH, qreal h) { return topAligned ? 0 : (rowH - h) / 2; }

  // Title and sub text on one baseline; pushes both lines, returns the height.
  qreal titleRow(qreal x, qreal w, std::vector<ToastLayout::Line>& lines) {
    const QFont titleFont = Fonts::face(14);
    const QFont subFont = kit::font(11, QFont::Normal);
    const qreal spacing = korean_ ? 0.7 : 0;
    QString title;
    QString sub;
    bool done = false;
    switch (m_.kind()) {
      case Kind::working: title = t_.working; sub = t_.workingSub; break;
      case Kind::picked: title = t_.picked; sub = m_.meta(); done = true; break;
      case Kind::empty: title = t_.empty; break;
      case Kind::permission: title = t_.permission; break;
      case Kind::undone: title = t_.undone; sub = t_.undoneSub; break;
      case Kind::conflict: title = t_.conflict; break;
      case Kind::noDisplay: title = t_.noDisplay; break;
      case Kind::newerKept: title = t_.newerKept; break;
      case Kind::nothingToRestore: title = t_.nothingToRestore; break;
    }
    kit::LineOptions options;
    options.letterSpacing = spacing;
    const qreal titleW = std::min<qreal>(std::ceil(kit::lineWidth(title, titleFont, options)), w);
    const qreal asc = std::max(ascent(titleFont), ascent(subFont));
    const qreal desc = std::max(descent(titleFont), descent(subFont));
    ToastLayout::Line t{QRectF(x, asc - ascent(titleFont), titleW, lineHeight(titleFont)), title, titleFont,
                        done ? Role::sealText : Role::text, spacing, Qt::AlignLeft};
    const qreal subX = x + titleW + kTitleGap;
    ToastLayout::Line s{QRectF(subX, asc - ascent(subFont), std::max<qreal>(0, x + w - subX), lineHeight(subFont)),
                        sub, subFont, Role::faint, 0, Qt::AlignLeft};
    lines.push_back(t);
    lines.push_back(s);
    return asc + desc;
  }

  QString linesBelow() const {
    switch (m_.kind()) {
      case Kind::empty: return t_.emptySub;
      case Kind::permission: return t_.permissionSub;
      case Kind::conflict: return t_.conflictSub;
      case Kind::noDisplay: return t_.noDisplaySub;
      case Kind::newerKept: return t_.newerKeptSub;
      case Kind::nothingToRestore: return t_.nothingToRestoreSub;
      default: return {};
    }
  }

  qreal preview(qreal x, qreal y, qreal w, std::vector<ToastLayout::Block>& blocks) {
    Paragraph::Options options;
    options.maxLines = m_.hovering() ? 10 : 2;
    options.extraSpacing = 1;
    options.alignRight = out_.rtl;
    auto p = std::make_shared<Paragraph>(m_.preview(), kit::font(12, QFont::Normal), w, options);
    blocks.push_back({QPointF(x, y), p, Role::sub});
    return y + p->height();
  }

  qreal tablePreview(qreal x, qreal y, qreal w, std::vector<ToastLayout::Line>& lines) {
    const Table& table = *m_.result().table;
    const int rows = int(table.rows.size());
    const int n = std::min(rows, m_.hovering() ? 6 : 3);
    const QFont head = kit::font(12, QFont::Medium);
    const QFont body = kit::font(12, QFont::Normal);
    size_t columns = 0;
    for (int r = 0; r < n; ++r) columns = std::max(columns, size_t(table.rows[size_t(r)].size()));
    std::vector<qreal> widths(columns, 0);
    for (int r = 0; r < n; ++r) {
      const QStringList& row = table.rows[size_t(r)];
      for (qsizetype c = 0; c < row.size(); ++c) {
        widths[size_t(c)] = std::max(widths[size_t(c)], std::ceil(kit::lineWidth(row[c], r == 0 ? head : body)));
      }
    }
    const qreal gaps = columns > 1 ? kGridColumnGap * qreal(columns - 1) : 0;
    widths = fitColumns(widths, std::max<qreal>(0, w - gaps));
    const qreal rowH = lineHeight(body);
    for (int r = 0; r < n; ++r) {
      if (r > 0) y += kGridRowGap;
      const QStringList& row = table.rows[size_t(r)];
      qreal cx = x;
      for (qsizetype c = 0; c < row.size(); ++c) {
        lines.push_back({QRectF(cx, y, widths[size_t(c)], rowH), row[c], r == 0 ? head : body,
                         r == 0 ? Role::text : Role::sub, 0, Qt::AlignLeft});
        cx += widths[size_t(c)] + kGridColumnGap;
      }
      y += rowH;
    }
    out_.tableRowsShown = n;
    if (rows > n) {
      const QFont small = kit::font(11, QFont::Normal);
      y += kGridRowGap;
      lines.push_back({QRectF(x, y, w, lineHeight(small)), t_.moreRows(rows - n), small, Role::faint, 0, Qt::AlignLeft});
      y += lineHeight(small);
      out_.moreRowsLine = true;
    }
    return y;
  }

  qreal busyLine(qreal y, int percent) {
    out_.rules.push_back(QRectF(x0_, y, inner_, 1));
    y += kBusyPadTop;
    const QFont small = kit::font(11, QFont::Normal);
    const qreal h = std::max<qreal>(14, lineHeight(small));
    out_.busyDot = QRectF(x0_, y + (h - 14) / 2, 14, 14);
    const QString cpu = QStringLiteral("CPU %1%").arg(percent);
    const qreal cpuW = std::ceil(kit::lineWidth(cpu, small));
    const qreal textX = x0_ + 14 + 6;
    const qreal textW = std::max<qreal>(0, x0_ + inner_ - cpuW - 6 - textX);
    out_.busy.push_back({out_.busyDot, QStringLiteral("!"), kit::font(10, QFont::Bold), Role::onSeal, 0, Qt::AlignCenter});
    out_.busy.push_back({QRectF(textX, y + (h - lineHeight(small)) / 2, textW, lineHeight(small)), t_.busy, small,
                         Role::sealText, 0, Qt::AlignLeft});
    out_.busy.push_back({QRectF(x0_ + inner_ - cpuW, y + (h - lineHeight(small)) / 2, cpuW, lineHeight(small)), cpu,
                         small, Role::faint, 0, Qt::AlignLeft});
    return y + h;
  }

  qreal editor(qreal y) {
    out_.editorBox = QRectF(x0_, y, inner_, kEditorH);
    out_.editorText = out_.editorBox.adjusted(kEditorPad, kEditorPad, -kEditorPad, -kEditorPad);
    return buttonRow(y + kEditorH + 6, ToastLayout::buttonsFor(m_, t_, fastMode_));
  }

  // Buttons at the trailing edge, in order; returns the bottom.
  qreal buttonRow(qreal y, const std::vector<ToastButtonSpec>& specs) {
    qreal right = x0_ + inner_;
    std::vector<ToastLayout::Button> row;
    for (auto it = specs.rbegin(); it != specs.rend(); ++it) {
      const qreal w = buttonWidth(*it);
      right -= w;
      row.insert(row.begin(), {*it, QRectF(right, y, w, kButtonH)});
      right -= kButtonGap;
    }
    out_.buttons = std::move(row);
    return y + kButtonH;
  }

  static qreal buttonWidth(const ToastButtonSpec& s) {
    return std::ceil(Fonts::textWidth(s.title, 12, s.strong ? QFont::Medium : QFont::Normal)) + 16;
  }

  void mirror() {
    const qreal W = out_.fitting.width();
    auto flip = [W](QRectF& r) { r.moveLeft(W - r.right()); };
    auto flipLine = [&](ToastLayout::Line& l) {
      flip(l.rect);
      if (l.align & Qt::AlignLeft) l.align = (l.align & ~Qt::AlignLeft) | Qt::AlignRight;
      else if (l.align & Qt::AlignRight) l.align = (l.align & ~Qt::AlignRight) | Qt::AlignLeft;
    };
    flip(out_.card);
    flip(out_.markRect);
    flipLine(out_.title);
    flipLine(out_.sub);
    for (auto& l : out_.cells) flipLine(l);
    for (auto& l : out_.busy) flipLine(l);
    for (auto& r : out_.rules) flip(r);
    if (!out_.busyDot.isEmpty()) flip(out_.busyDot);
    if (!out_.editorBox.isEmpty()) {
      flip(out_.editorBox);
      flip(out_.editorText);
    }
    for (auto& b : out_.buttons) flip(b.rect);
    // Paragraphs already keep to the right edge of their own width.
    for (auto& b : out_.blocks) b.topLeft.setX(W - b.topLeft.x() - columnWidth());
  }

  qreal columnWidth() const { return inner_ - kMarkSide - kMarkGap; }

  const ToastModel& m_;
  const Strings& t_;
  bool fastMode_;
  bool korean_;
  ToastLayout out_;
  qreal x0_ = 0;
  qreal inner_ = 0;
};

}  // namespace

std::vector<ToastButtonSpec> ToastLayout::buttonsFor(const ToastModel& m, const Strings& t, bool fastMode) {
  std::vector<ToastButtonSpec> specs;
  if (m.kind() == Kind::empty) {
    if (fastMode) specs.push_back({t.retryAccurate, false, ToastAction::retryAccurate, {}});
    specs.push_back({t.sameSpotAgain, true, ToastAction::sameSpot, {}});
    return specs;
  }
  if (m.kind() != Kind::picked) return specs;
  if (m.editing()) {
    specs.push_back({t.cancel, false, ToastAction::cancelEdit, {}});
    specs.push_back({t.save, true, ToastAction::commitEdit, QStringLiteral("Ctrl+Return")});
    return specs;
  }
  const bool link = m.link().has_value();
  if (!m.edited()) {
    if (hasTable(m)) specs.push_back({tableToggleTitle(m, t), false, ToastAction::toggleTable, {}});
    if (joinOffered(m)) specs.push_back({joinToggleTitle(m, t), false, ToastAction::toggleJoin, {}});
  }
  specs.push_back({t.edit, false, ToastAction::edit, kHelpEdit});
  specs.push_back({t.undo, !link, ToastAction::undo, kHelpUndo});
  if (link) specs.push_back({t.open, true, ToastAction::open, kHelpOpen});
  return specs;
}

QStringList ToastLayout::widthLabels(const ToastModel& m, const Strings& t, bool fastMode) {
  QStringList labels;
  if (m.kind() == Kind::empty) {
    if (fastMode) labels << t.retryAccurate;
    labels << t.sameSpotAgain;
  } else if (m.kind() == Kind::picked && !m.editing()) {
    labels << t.edit << t.undo;
    if (m.link()) labels << t.open;
    if (!m.edited()) {
      if (hasTable(m)) labels << tableToggleTitle(m, t);
      if (joinOffered(m)) labels << joinToggleTitle(m, t);
    }
  }
  return labels;
}

int ToastLayout::toastWidth(const ToastModel& m, const Strings& t, bool fastMode) {
  const QStringList labels = widthLabels(m, t, fastMode);
  if (labels.isEmpty()) return kMinWidth;
  qreal width = 32;
  for (const QString& label : labels) width += std::ceil(Fonts::textWidth(label, 12, QFont::Medium)) + 18;
  return std::clamp(int(std::ceil(width)), kMinWidth, kMaxWidth);
}

ToastLayout ToastLayout::make(const ToastModel& model, const Strings& texts, bool fastMode, bool rtl, bool korean) {
  return Builder(model, texts, fastMode, rtl, korean).build();
}
