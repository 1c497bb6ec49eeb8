#include "capture/OverlayView.h"

#include <QCursor>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "capture/CaptureGeometry.h"
#include "capture/Still.h"
#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Shortcut.h"
#include "ui/kit/Text.h"

namespace {

// Key positions (the portable virtual key numbering of Shortcut).
enum Key : uint32_t {
  kEscape = 53,
  kReturn = 36,
  kEnter = 76,
  kSpace = 49,
  kTab = 48,
  kOne = 18,
  kTwo = 19,
};

constexpr qreal kMinDrag = 6;
// Brackets sit 6 outside the target with a 3-wide stroke and square caps:
// nothing of them reaches 9 out, nor comes within 4 of the target.
constexpr qreal kDecorOut = 9;
constexpr qreal kDecorIn = 2;

QFont sizeFont() {
  QFont f = kit::font(11, QFont::Medium);
  f.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
  return f;
}

// The whole pixels inside r shrunk by `by`, or an empty rectangle.
QRect innerPixels(const QRectF& r, qreal by) {
  const int l = int(std::ceil(r.left() + by)), t = int(std::ceil(r.top() + by));
  const int rt = int(std::floor(r.right() - by)), b = int(std::floor(r.bottom() - by));
  if (rt <= l || b <= t) return {};
  return QRect(l, t, rt - l, b - t);
}

}  // namespace

OverlayView::OverlayView(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::CrossCursor);
  connect(&Settings::shared(), &Settings::changed, this, [this] { refreshBar(); });
}

void OverlayView::setStill(QImage image, QImage dimmed) {
  image_ = std::move(image);
  dimmed_ = dimmed.isNull() ? capture::dimmedCopy(image_) : std::move(dimmed);
  // Every pixel is painted from the still: nothing to clear first.
  setAttribute(Qt::WA_OpaquePaintEvent, !image_.isNull());
  update();
}

void OverlayView::setLastRect(std::optional<QRectF> rect) {
  lastRect_ = rect;
  refreshBar();
}

void OverlayView::setMode(bool fast) {
  Settings& settings = Settings::shared();
  if (settings.fastMode() == fast) return;
  settings.setFastMode(fast);
  if (fast && onFastMode) onFastMode();
}

QString OverlayView::sizeText(const QSizeF& size) {
  return QStringLiteral("%1 \u00D7 %2").arg(qint64(size.width())).arg(qint64(size.height()));
}

QRectF OverlayView::sizeChipRect(const QRectF& target, const QSizeF& s, qreal viewHeight) {
  QRectF frame(target.left(), target.bottom() + 12, s.width() + 16, s.height() + 6);
  if (frame.bottom() > viewHeight - 8) frame.moveBottom(target.bottom() - 8);
  return frame;
}

QSizeF OverlayView::sizeTextSize(const QString& text) const {
  const QFontMetricsF fm(sizeFont());
  return {fm.horizontalAdvance(text), fm.height()};
}

QRectF OverlayView::chipRect(const QRectF& target) const {
  return sizeChipRect(target, sizeTextSize(sizeText(target.size())), height());
}

QRegion OverlayView::targetChange(const std::optional<QRectF>& before,
                                  const std::optional<QRectF>& after) const {
  QRegion changed, inBefore, inAfter;
  auto edges = [&](const QRectF& t, QRegion& inside) {
    inside = QRegion(innerPixels(t, kDecorIn));
    changed += QRegion(t.adjusted(-kDecorOut, -kDecorOut, kDecorOut, kDecorOut).toAlignedRect()) - inside;
    changed += chipRect(t).adjusted(-1, -1, 1, 1).toAlignedRect();
  };
  if (before) edges(*before, inBefore);
  if (after) edges(*after, inAfter);
  return changed + inBefore.xored(inAfter);
}

void OverlayView::setTarget(const std::function<void()>& change) {
  const auto before = target();
  change();
  const auto after = target();
  if (before == after) return;
  update(targetChange(before, after));
}

void OverlayView::finish(const QRectF& rect) {
  if (auto done = onFinish) done(rect);
}

void OverlayView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPointF p = e->position();
  // Chips exist once painted; before that nothing is a chip.
  if (!fastChip_.isEmpty() && capture::chipHitArea(fastChip_).contains(p)) {
    setMode(true);
    refreshBar();
    return;
  }
  if (!accurateChip_.isEmpty() && capture::chipHitArea(accurateChip_).contains(p)) {
    setMode(false);
    refreshBar();
    return;
  }
  if (windowMode_) {
    if (const auto w = capture::firstContaining(windows_, p)) finish(*w);
    return;
  }
  anchor_ = p;
  setTarget([this] { selection_.reset(); });
}

void OverlayView::mouseMoveEvent(QMouseEvent* e) {
  const QPointF p = e->position();
  if (anchor_ && (e->buttons() & Qt::LeftButton)) {
    const QRectF r(QPointF(std::min(p.x(), anchor_->x()), std::min(p.y(), anchor_->y())),
                   QPointF(std::max(p.x(), anchor_->x()), std::max(p.y(), anchor_->y())));
    const QRectF bounds(rect());
    // Clipped to the screen; a zero-width drag still is a selection.
    const QRectF clipped(QPointF(std::max(r.left(), bounds.left()), std::max(r.top(), bounds.top())),
                         QPointF(std::min(r.right(), bounds.right()), std::min(r.bottom(), bounds.bottom())));
    setTarget([&] {
      if (clipped.width() >= 0 && clipped.height() >= 0)
        selection_ = clipped;
      else
        selection_.reset();
    });
    return;
  }
  if (windowMode_) setTarget([&] { hovered_ = capture::firstContaining(windows_, p); });
}

void OverlayView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  anchor_.reset();
  if (selection_ && selection_->width() >= kMinDrag && selection_->height() >= kMinDrag) {
    finish(capture::integral(*selection_));
    return;
  }
  setTarget([this] { selection_.reset(); });
}

void OverlayView::toggleMode() {
  const auto before = target();
  windowMode_ = !windowMode_;
  selection_.reset();
  anchor_.reset();
  if (windowMode_) {
    const QPointF p = window() && window()->isVisible() ? QPointF(mapFromGlobal(QCursor::pos())) : QPointF();
    hovered_ = capture::firstContaining(windows_, p);
  } else {
    hovered_.reset();
  }
  setCursor(windowMode_ ? Qt::PointingHandCursor : Qt::CrossCursor);
  update(targetChange(before, target()));
  refreshBar();
}

void OverlayView::keyPressEvent(QKeyEvent* e) {
  // Every key stays here, known or not: none may reach the windows below.
  e->accept();
  if (isHotKey && isHotKey(*e)) {
    if (!e->isAutoRepeat() && onHotKey) onHotKey();
    return;
  }
  const auto key = Shortcut::keyCodeForX(e->nativeScanCode());
  if (!key) return;
  const Qt::KeyboardModifiers blocking = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  switch (*key) {
    case kEscape:
      if (auto cancel = onCancel) cancel();
      break;
    case kReturn:
    case kEnter:
      if (selection_) finish(capture::integral(*selection_));
      break;
    case kSpace:
      toggleMode();
      break;
    case kTab:
      setMode(!Settings::shared().fastMode());
      refreshBar();
      break;
    case kOne:
    case kTwo:
      if (e->modifiers() & blocking) break;
      setMode(*key == kOne);
      refreshBar();
      break;
    default:
      break;
  }
}

capture::HintBar::State OverlayView::barState() const {
  return {windowMode_, lastRect_.has_value(), Settings::shared().fastMode()};
}

const capture::HintBar& OverlayView::bar() {
  if (!bar_) bar_.emplace(barState(), QSizeF(size()));
  return *bar_;
}

void OverlayView::refreshBar() {
  // Texts, caps or the mode may have changed: lay out again and repaint both
  // the old and the new extent.
  QRegion dirty;
  if (bar_) dirty += bar_->paintRect().toAlignedRect();
  bar_.reset();
  barImage_ = QImage();
  dirty += bar().paintRect().toAlignedRect();
  update(dirty);
}

const QImage& OverlayView::barImage() {
  const qreal ratio = devicePixelRatioF();
  if (barImage_.isNull() || barImageRatio_ != ratio) {
    const QRectF area = bar().paintRect();
    barImage_ = QImage(int(std::ceil(area.width() * ratio)), int(std::ceil(area.height() * ratio)),
                       QImage::Format_ARGB32_Premultiplied);
    barImage_.setDevicePixelRatio(ratio);
    barImage_.fill(Qt::transparent);
    QPainter p(&barImage_);
    p.translate(-area.topLeft());
    bar().paint(p);
    barImageRatio_ = ratio;
  }
  return barImage_;
}

void OverlayView::resizeEvent(QResizeEvent*) {
  bar_.reset();
  barImage_ = QImage();
}

void OverlayView::paintTarget(QPainter& p, const QRectF& t) {
  p.setRenderHint(QPainter::Antialiasing);
  // A stroke an odd number of device pixels wide is centred on a pixel's
  // middle, so that it covers whole pixels instead of smearing over two more.
  const qreal ratio = devicePixelRatioF();
  const qreal shift = int(std::lround(3 * ratio)) % 2 ? 0.5 / ratio : 0;
  const QRectF r = t.adjusted(-6, -6, 6, 6).translated(shift, shift);
  p.setPen(QPen(Ink::seal(), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(capture::bracketPath(r));

  const QString text = sizeText(t.size());
  const QRectF chip = chipRect(t);
  QPainterPath plate;
  plate.addRoundedRect(chip, 6, 6);
  p.fillPath(plate, Ink::mook());
  const QFont font = sizeFont();
  p.setFont(font);
  p.setPen(Ink::hanji());
  p.drawText(QPointF(chip.left() + 8, chip.top() + 3 + QFontMetricsF(font).ascent()), text);
}

void OverlayView::paintEvent(QPaintEvent* e) {
  ++paintCount_;
  const QRegion region = e->region();
  QPainter p(this);
  const auto t = target();
  qint64 area = 0;
  if (image_.isNull()) {
    // A bare view (the hint bar pictured on its own): dimming over nothing.
    QPainterPath dim;
    dim.setFillRule(Qt::OddEvenFill);
    dim.addRect(rect());
    if (t) dim.addRect(*t);
    p.fillPath(dim, capture::dimColor());
  } else {
    const qreal s = image_.width() / qreal(std::max(1, width()));
    for (const QRect& r : region) {
      const QRectF source(r.x() * s, r.y() * s, r.width() * s, r.height() * s);
      p.drawImage(QRectF(r), dimmed_, source);
      area += qint64(source.width() * source.height());
      if (t && r.intersects(t->toAlignedRect())) {
        p.save();
        p.setClipRect(*t, Qt::IntersectClip);
        p.drawImage(QRectF(r), image_, source);
        p.restore();
      }
    }
  }
  if (t) paintTarget(p, *t);
  const QRectF barArea = bar().paintRect();
  if (region.intersects(barArea.toAlignedRect())) {
    p.drawImage(barArea.topLeft(), barImage());
    fastChip_ = bar().fastChip();
    accurateChip_ = bar().accurateChip();
  }
  lastPaintArea_ = area;
}
