#pragma once
#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <optional>

// Everything the selection marker shows, as a function of time: the scanning
// band, the brackets tightening into a ring, the check badge popping in, the
// faint brackets of a failure and the fade at the end. Times are seconds on
// one steady clock; the widget only draws what frameAt() says.
namespace marker {

// Timing curves: cubic Béziers through (0, 0) and (1, 1).
qreal bezier(qreal x, qreal x1, qreal y1, qreal x2, qreal y2);
inline qreal easeInOut(qreal x) { return bezier(x, 0.42, 0, 0.58, 1); }
inline qreal easeOut(qreal x) { return bezier(x, 0, 0, 0.58, 1); }

inline constexpr qreal kPad = 20;          // panel edge to picked rectangle
inline constexpr qreal kSweep = 0.9;       // band, one way
inline constexpr qreal kTighten = 0.22;    // brackets into the ring
inline constexpr qreal kPop = 0.32;        // badge scale keyframes
inline constexpr qreal kBadgeIn = 0.12;    // badge opacity
inline constexpr qreal kFaint = 0.25;      // brackets to the faint colour
inline constexpr qreal kFade = 0.35;       // panel fade-out
inline constexpr qreal kOkLinger = 0.9;    // confirmed: before the fade
inline constexpr qreal kFailLinger = 0.25; // not confirmed: before the fade

struct Frame {
  // Band: present while scanning; its centre measured from the top of the
  // clip (the inner rectangle inset by 2).
  bool band = false;
  QRectF clip;
  qreal bandCentre = 0;
  QRectF brackets;     // the rectangle the brackets sit on
  qreal arm = 0;
  qreal bracketOpacity = 1;
  QColor bracketColor;
  qreal ringOpacity = 0;
  bool badge = false;
  qreal badgeScale = 1;
  qreal badgeOpacity = 0;
  qreal opacity = 1;   // the whole panel
  bool done = false;   // faded out: the panel can go
};

class Timeline {
 public:
  // A marker around the picked rectangle `inner` (panel coordinates: kPad
  // in from its edges), scanning from `start`.
  Timeline(const QRectF& inner, qreal start);

  // Ends the scan at `at`: confirmed or not. A second call is ignored.
  void finish(bool ok, qreal at);
  // Fades out from `at` (none: stays until finished or dismissed).
  void fadeFrom(qreal at) { fadeStart_ = at; }
  // Reduced motion: no sweep, no tightening, no pop (fades stay).
  void setStill(bool still) { still_ = still; }

  bool finished() const { return end_.has_value(); }
  std::optional<qreal> fadeStart() const { return fadeStart_; }
  // True while something moves or fades at `t` (the widget keeps repainting).
  bool moving(qreal t) const;

  QRectF inner() const { return inner_; }
  Frame frameAt(qreal t) const;

 private:
  QRectF inner_;
  qreal start_;
  std::optional<qreal> end_;
  bool ok_ = false;
  std::optional<qreal> fadeStart_;
  bool still_ = false;
};

}  // namespace marker
