#include "capture/HintBar.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <numeric>

#include "core/AppMark.h"
#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Text.h"

namespace capture {
namespace {

constexpr qreal kShadowBlur = 24;
constexpr qreal kGap = 14;

QFont spaced(QFont f, qreal kern) {
  if (kern != 0) f.setLetterSpacing(QFont::AbsoluteSpacing, kern);
  return f;
}

qreal widthOf(const QString& text, const QFont& font) {
  return text.isEmpty() ? 0 : QFontMetricsF(font).horizontalAdvance(text);
}

// Text drawn with its line box vertically centred on `midY`.
void drawCentred(QPainter& p, qreal x, qreal midY, const QString& text, const QFont& font, const QColor& c) {
  const QFontMetricsF fm(font);
  p.setFont(font);
  p.setPen(c);
  p.drawText(QPointF(x, midY - fm.height() / 2 + fm.ascent()), text);
}

QColor rgba(int r, int g, int b, qreal a = 1) {
  QColor c(r, g, b);
  c.setAlphaF(float(a));
  return c;
}

}  // namespace

std::vector<HintSegment> hintSegments(const Strings& t, bool windowMode, bool hasLast, const QStringList& caps) {
  if (windowMode) return {{t.pickWindow, true}, {t.spaceDrag}, {t.escCancel}};
  std::vector<HintSegment> out{{t.dragSelect, true}, {t.spaceWindow}};
  // Linux key names would run together without a separator ("CtrlShift2").
  if (hasLast) out.push_back({t.sameSpot(caps.join(QLatin1Char('+')))});
  out.push_back({t.escCancel});
  return out;
}

qreal chipsWidth(qreal c1, qreal c2) { return (c1 + 14) + (c2 + 14) + 3; }

qreal hintBarWidth(const std::vector<qreal>& widths, qreal c1, qreal c2) {
  const qreal sum = std::accumulate(widths.begin(), widths.end(), 0.0);
  const qreal n = qreal(widths.size());
  return 8 + 18 + 8 + sum + kGap * (n - 1) + kGap + 1 + kGap + chipsWidth(c1, c2) + 12;
}

QRectF chipHitArea(const QRectF& chip) { return chip.adjusted(-2, -4, 2, 4); }

HintBar::ChipText HintBar::chipText(const QString& key, const QString& label, bool selected) const {
  ChipText c;
  c.key = key + QLatin1Char(' ');
  c.label = label;
  c.keyFont = kit::font(9.5, QFont::Normal);
  c.labelFont = kit::font(11, selected ? QFont::DemiBold : QFont::Normal);
  c.color = selected ? Ink::hanjiLight() : rgba(207, 199, 185);
  c.keyAlpha = selected ? 0.8 : 0.6;
  c.width = widthOf(c.key, c.keyFont) + widthOf(c.label, c.labelFont);
  return c;
}

HintBar::HintBar(const State& state, const QSizeF& viewSize) : state_(state) {
  const Settings& settings = Settings::shared();
  const Strings texts = L::table(settings.language());
  const QStringList caps = settings.shortcut().caps();
  std::vector<qreal> widths;
  for (const HintSegment& s : hintSegments(texts, state.windowMode, state.hasLast, caps)) {
    Segment seg;
    seg.text = s.text;
    seg.font = s.bold ? spaced(kit::font(12, QFont::DemiBold), 0.5) : kit::font(12, QFont::Normal);
    seg.color = s.bold ? Ink::hanji() : rgba(156, 148, 136);
    seg.width = widthOf(seg.text, seg.font);
    widths.push_back(seg.width);
    segments_.push_back(seg);
  }
  fast_ = chipText(QStringLiteral("1"), texts.modeFast, state.fast);
  accurate_ = chipText(QStringLiteral("2"), texts.modeAccurate, !state.fast);
  const qreal w = hintBarWidth(widths, fast_.width, accurate_.width);
  bar_ = QRectF(viewSize.width() / 2 - w / 2, viewSize.height() - 32 - 32, w, 32);

  qreal x = bar_.left() + 34;
  for (const qreal sw : widths) x += sw + kGap;
  const QRectF frame(x + 15, bar_.center().y() - 11, chipsWidth(fast_.width, accurate_.width), 22);
  fastChip_ = QRectF(frame.left() + 1.5, frame.top() + 2, fast_.width + 14, 18);
  accurateChip_ = QRectF(fastChip_.right(), frame.top() + 2, accurate_.width + 14, 18);
}

QRectF HintBar::paintRect() const {
  const qreal reach = kit::shadowReach(kShadowBlur);
  return bar_.adjusted(-reach, -reach, reach, reach).translated(0, 8).united(bar_);
}

void HintBar::paintChipText(QPainter& p, const ChipText& c, const QRectF& in) const {
  const qreal x = in.center().x() - c.width / 2;
  QColor key = c.color;
  key.setAlphaF(float(c.keyAlpha));
  // Both parts share one baseline, centred on the chip as one line.
  const QFontMetricsF kf(c.keyFont), lf(c.labelFont);
  const qreal ascent = std::max(kf.ascent(), lf.ascent());
  const qreal height = ascent + std::max(kf.descent(), lf.descent());
  const qreal baseline = in.center().y() - height / 2 + ascent;
  p.setFont(c.keyFont);
  p.setPen(key);
  p.drawText(QPointF(x, baseline), c.key);
  p.setFont(c.labelFont);
  p.setPen(c.color);
  p.drawText(QPointF(x + widthOf(c.key, c.keyFont), baseline), c.label);
}

void HintBar::paint(QPainter& p) const {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  kit::drawShadow(p, bar_, 10, kShadowBlur, QPointF(0, 8), rgba(0, 0, 0, 0.25));
  QPainterPath plate;
  plate.addRoundedRect(bar_, 10, 10);
  p.fillPath(plate, Ink::mook());

  const qreal midY = bar_.center().y();
  AppMark::draw(p, QRectF(bar_.left() + 8, midY - 9, 18, 18), AppMark::State::picked, 0, true);

  qreal x = bar_.left() + 34;
  for (const Segment& s : segments_) {
    drawCentred(p, x, midY, s.text, s.font, s.color);
    x += s.width + kGap;
  }
  p.fillRect(QRectF(x, midY - 8, 1, 16), rgba(228, 221, 207, 0.15));

  const QRectF frame(x + 15, midY - 11, chipsWidth(fast_.width, accurate_.width), 22);
  QPainterPath outline;
  outline.addRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
  p.setPen(QPen(rgba(228, 221, 207, 0.18), 1));
  p.setBrush(Qt::NoBrush);
  p.drawPath(outline);

  QPainterPath selected;
  selected.addRoundedRect(state_.fast ? fastChip_ : accurateChip_, 4, 4);
  p.fillPath(selected, Ink::seal());
  paintChipText(p, fast_, fastChip_);
  paintChipText(p, accurate_, accurateChip_);
  p.restore();
}

}  // namespace capture
