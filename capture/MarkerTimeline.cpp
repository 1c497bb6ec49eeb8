#include "capture/MarkerTimeline.h"

#include <algorithm>
#include <cmath>

#include "capture/CaptureGeometry.h"
#include "core/Ink.h"

namespace marker {
namespace {

qreal clamp01(qreal v) { return std::clamp(v, 0.0, 1.0); }
qreal mix(qreal a, qreal b, qreal f) { return a + (b - a) * f; }

QColor mixColor(const QColor& a, const QColor& b, qreal f) {
  return QColor::fromRgbF(float(mix(a.redF(), b.redF(), f)), float(mix(a.greenF(), b.greenF(), f)),
                          float(mix(a.blueF(), b.blueF(), f)), float(mix(a.alphaF(), b.alphaF(), f)));
}

// The badge's scale keyframes: 1.6, 0.92, 1.04, 1 at 0, 0.5, 0.75, 1, linear between.
qreal popScale(qreal f) {
  static constexpr qreal times[] = {0, 0.5, 0.75, 1};
  static constexpr qreal values[] = {1.6, 0.92, 1.04, 1};
  if (f >= 1) return 1;
  for (int i = 0; i < 3; ++i) {
    if (f <= times[i + 1]) return mix(values[i], values[i + 1], (f - times[i]) / (times[i + 1] - times[i]));
  }
  return 1;
}

}  // namespace

qreal bezier(qreal x, qreal x1, qreal y1, qreal x2, qreal y2) {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  auto coord = [](qreal t, qreal p1, qreal p2) {
    const qreal u = 1 - t;
    return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
  };
  // x(t) rises monotonically for these curves: bisect for the t of x.
  qreal lo = 0, hi = 1, t = x;
  for (int i = 0; i < 60; ++i) {
    t = (lo + hi) / 2;
    if (coord(t, x1, x2) < x)
      lo = t;
    else
      hi = t;
  }
  return coord(t, y1, y2);
}

Timeline::Timeline(const QRectF& inner, qreal start) : inner_(inner), start_(start) {}

void Timeline::finish(bool ok, qreal at) {
  if (end_) return;
  end_ = at;
  ok_ = ok;
}

bool Timeline::moving(qreal t) const {
  if (!end_) return !still_;
  if (fadeStart_ && t >= *fadeStart_) return true;
  const qreal since = t - *end_;
  return ok_ ? since < std::max(kTighten, kPop) : since < kFaint;
}

Frame Timeline::frameAt(qreal t) const {
  Frame f;
  const QRectF in = inner();
  f.clip = in.adjusted(2, 2, -2, -2);
  const QRectF scanning = in.adjusted(-6, -6, 6, 6);
  const QRectF tight = in.adjusted(-2, -2, 2, 2);
  f.brackets = scanning;
  f.arm = capture::bracketArm(scanning);
  f.bracketColor = Ink::seal();

  if (!end_) {
    f.band = true;
    if (still_) {
      f.bandCentre = f.clip.height() / 2;
    } else {
      // Down from the top and back up, 0.9 s each way, for as long as it scans.
      const qreal cycle = std::fmod(std::max(0.0, t - start_), 2 * kSweep);
      const qreal u = cycle < kSweep ? cycle / kSweep : (2 * kSweep - cycle) / kSweep;
      f.bandCentre = mix(1, f.clip.height() - 1, easeInOut(u));
    }
  } else if (ok_) {
    const qreal since = t - *end_;
    const qreal k = still_ ? 1 : easeOut(clamp01(since / kTighten));
    f.brackets = QRectF(QPointF(mix(scanning.left(), tight.left(), k), mix(scanning.top(), tight.top(), k)),
                        QPointF(mix(scanning.right(), tight.right(), k), mix(scanning.bottom(), tight.bottom(), k)));
    f.arm = mix(capture::bracketArm(scanning), capture::bracketArm(tight), k);
    f.bracketOpacity = 1 - k;
    f.ringOpacity = k;
    f.badge = true;
    f.badgeScale = still_ ? 1 : popScale(clamp01(since / kPop));
    f.badgeOpacity = still_ ? 1 : clamp01(since / kBadgeIn);
  } else {
    f.bracketColor = mixColor(Ink::seal(), Ink::faint(), clamp01((t - *end_) / kFaint));
  }

  if (fadeStart_ && t >= *fadeStart_) {
    const qreal k = (t - *fadeStart_) / kFade;
    f.opacity = 1 - clamp01(k);
    f.done = k >= 1;
  }
  return f;
}

}  // namespace marker
