#pragma once
#include <QObject>
#include <QPainterPath>
#include <QPointer>
#include <QRectF>
#include <functional>
#include <vector>

class MarkerWindow;

// Keeps the picked rectangle visible while its text is being recognised:
// seal-red corner brackets around it and a band sweeping up and down inside.
// When recognition ends it confirms (the brackets tighten into a ring and a
// check badge pops in) or turns the brackets faint, and then fades away. One
// marker is live at a time; a new one replaces the old at once, while one
// already fading finishes on its own. Panels still on screen when the marker
// goes (at quit) go with it.
class SelectionMarker : public QObject {
  Q_OBJECT
 public:
  using Clock = std::function<double()>;  // seconds on a steady clock

  explicit SelectionMarker(QObject* parent = nullptr);
  ~SelectionMarker() override;

  // Shows a marker around `picked` (global space).
  void show(const QRectF& picked);
  // Ends the live marker: text found (`ok`) or not.
  void finish(bool ok);
  // Forgets the live marker: closed now, or faded out after `after` seconds.
  void dismiss(bool animated, double after);

  // The live marker's panel, or null.
  MarkerWindow* live() const;

  // The corner brackets of a rectangle (arm: min(24, width / 3, height / 3)).
  static QPainterPath bracketPath(const QRectF& r);

  // Replaces the clock (tests); empty restores the monotonic clock.
  void setClock(Clock clock);

 private:
  double now() const { return clock_(); }

  QPointer<MarkerWindow> live_;
  // Panels on their way out (fading, or deleted later); each deletes itself.
  std::vector<QPointer<MarkerWindow>> leaving_;
  Clock clock_;
};
