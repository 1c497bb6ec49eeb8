#pragma once
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <vector>

class QPainter;
struct Strings;

// The bar at the bottom of the overlay: the app mark, what the keys do, and
// two chips that switch between fast and accurate recognition.
namespace capture {

struct HintSegment {
  QString text;
  bool bold = false;
};

// Window mode: pick, Space, Esc. Region mode: drag, Space, then the same-spot
// hint (with the shortcut's caps) when there is a last pick here, then Esc.
std::vector<HintSegment> hintSegments(const Strings& texts, bool windowMode, bool hasLast,
                                      const QStringList& caps);

// The bar's width: 8 margin, 18 mark, 8, the segments 14 apart, 14, a 1-wide
// divider, 14, the chip frame ((c1 + 14) + (c2 + 14) + 3 wide), 12 margin.
qreal chipsWidth(qreal c1, qreal c2);
qreal hintBarWidth(const std::vector<qreal>& segmentWidths, qreal c1, qreal c2);

// Where a click still counts as a click on a chip: 2 wider on each side, 4 taller.
QRectF chipHitArea(const QRectF& chip);

// The bar laid out for one state, from the current interface texts, shortcut
// and fast-mode setting.
class HintBar {
 public:
  struct State {
    bool windowMode = false;
    bool hasLast = false;
    bool fast = false;
    friend bool operator==(const State&, const State&) = default;
  };

  HintBar(const State& state, const QSizeF& viewSize);

  const State& state() const { return state_; }
  QRectF rect() const { return bar_; }
  // The bar with its shadow: everything paint() may touch.
  QRectF paintRect() const;
  QRectF fastChip() const { return fastChip_; }
  QRectF accurateChip() const { return accurateChip_; }

  void paint(QPainter& painter) const;

 private:
  struct Segment {
    QString text;
    QFont font;
    QColor color;
    qreal width = 0;
  };
  struct ChipText {
    QString key, label;
    QFont keyFont, labelFont;
    QColor color;
    qreal keyAlpha = 1;
    qreal width = 0;
  };
  ChipText chipText(const QString& key, const QString& label, bool selected) const;
  void paintChipText(QPainter& painter, const ChipText& chip, const QRectF& in) const;

  State state_;
  std::vector<Segment> segments_;
  ChipText fast_, accurate_;
  QRectF bar_, fastChip_, accurateChip_;
};

}  // namespace capture
