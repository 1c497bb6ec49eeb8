#pragma once
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "capture/HintBar.h"

class QKeyEvent;

// The frozen screen on which the user drags a region or, after Space, clicks
// a window. Coordinates are logical pixels with the origin at the screen's
// top-left corner (view space). The view knows nothing of capturing: it
// reports a rectangle through onFinish or a dismissal through onCancel, and
// changes nothing outside itself but the fast-mode preference.
//
// Pointer moves repaint only what changed: the strips where the dimming came
// or went, the brackets and size labels at the old and new place. The dimmed
// still is made once per capture.
class OverlayView : public QWidget {
  Q_OBJECT
 public:
  explicit OverlayView(QWidget* parent = nullptr);

  // The still in device pixels and its dimmed copy (made here when null).
  void setStill(QImage image, QImage dimmed = {});
  const QImage& image() const { return image_; }
  void setWindows(std::vector<QRectF> windows) { windows_ = std::move(windows); }
  const std::vector<QRectF>& windows() const { return windows_; }
  void setLastRect(std::optional<QRectF> rect);
  std::optional<QRectF> lastRect() const { return lastRect_; }

  std::function<void(const QRectF&)> onFinish;  // a dragged region (integral) or a window as stored
  std::function<void()> onCancel;               // Escape
  // The global hot key, which arrives here while the overlay holds the
  // keyboard: a matcher, and what to do on a (non-repeated) press.
  std::function<bool(const QKeyEvent&)> isHotKey;
  std::function<void()> onHotKey;
  // Runs when the user switches to fast mode here (warms the fast path up).
  std::function<void()> onFastMode;

  bool windowMode() const { return windowMode_; }
  std::optional<QRectF> selection() const { return selection_; }
  std::optional<QRectF> hovered() const { return hovered_; }
  // The chips as last painted (empty before the first paint).
  QRectF fastChip() const { return fastChip_; }
  QRectF accurateChip() const { return accurateChip_; }

  // Sets the fast-mode preference when it differs; callers repaint the bar.
  void setMode(bool fast);

  // Paint statistics, for the benchmark: device pixels covered by the last
  // paint, and paints so far.
  qint64 lastPaintArea() const { return lastPaintArea_; }
  int paintCount() const { return paintCount_; }

  // The size label: whole logical pixels, truncated: "320 × 180".
  static QString sizeText(const QSizeF& size);
  // Where the size label goes: 12 below the target, or 8 inside its bottom
  // edge when it would come closer than 8 to the view's bottom.
  static QRectF sizeChipRect(const QRectF& target, const QSizeF& textSize, qreal viewHeight);
  // What must be repainted when the target moves from `before` to `after`.
  QRegion targetChange(const std::optional<QRectF>& before, const std::optional<QRectF>& after) const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::optional<QRectF> target() const { return windowMode_ ? hovered_ : selection_; }
  void setTarget(const std::function<void()>& change);
  void toggleMode();
  void finish(const QRectF& rect);
  capture::HintBar::State barState() const;
  const capture::HintBar& bar();
  void refreshBar();
  const QImage& barImage();
  QRectF chipRect(const QRectF& target) const;
  QSizeF sizeTextSize(const QString& text) const;
  void paintTarget(QPainter& p, const QRectF& target);

  QImage image_, dimmed_;
  std::vector<QRectF> windows_;
  std::optional<QRectF> lastRect_;
  bool windowMode_ = false;
  std::optional<QPointF> anchor_;
  std::optional<QRectF> selection_;
  std::optional<QRectF> hovered_;
  QRectF fastChip_, accurateChip_;

  std::optional<capture::HintBar> bar_;
  QImage barImage_;
  qreal barImageRatio_ = 0;
  qint64 lastPaintArea_ = 0;
  int paintCount_ = 0;
};
