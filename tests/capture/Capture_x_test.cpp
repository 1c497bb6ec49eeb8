// Captures on a real X server with a window manager (tests/support/xsession),
// once without and once with a compositor: what the still shows, what a drag
// and a window pick hand back, the keys, and that every exit lets the
// keyboard and the pointer go. xdotool drives the pointer and the keys.
#include <gtest/gtest.h>

#include <QPainter>
#include <QWidget>

#include "capture/CaptureController.h"
#include "capture/MarkerWindow.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "capture/SelectionMarker.h"
#include "capture/Still.h"
#include "core/Settings.h"
#include "platform/ActiveWindow.h"
#include "tests/support/Printers.h"
#include "tests/support/TestEnv.h"
#include "tests/support/XWindows.h"

using xwindows::patternAt;
using xwindows::PatternWindow;
using xwindows::waitUntil;

namespace {

// The root window as it is on screen now, from a connection of its own.
QImage rootImage(const QRect& rect) {
  xwindows::Probe x;
  return capture::grabRoot(x.conn(), rect).copy();
}
QRgb rootPixel(QPoint p) { return rootImage({p, QSize(1, 1)}).pixel(0, 0); }

using xwindows::xdotool;

QString arg(int v) { return QString::number(v); }

bool drag(QPoint from, QPoint to) {
  return xdotool({"mousemove", arg(from.x()), arg(from.y()), "mousedown", "1"}) &&
         xdotool({"mousemove", arg(to.x()), arg(to.y()), "mouseup", "1"});
}

bool isMagenta(QRgb c) { return qRed(c) > 240 && qGreen(c) < 15 && qBlue(c) > 240; }

struct Picked {
  QImage image;
  QRectF rect;
};

// A controller recording what it hands back, started with the pointer at (x, y).
struct Capture {
  CaptureController controller;
  std::vector<Picked> picked;
  int cancels = 0;

  Capture() {
    controller.onPicked = [this](const QImage& img, const QRectF& r) { picked.push_back({img, r}); };
    controller.onCancel = [this] { ++cancels; };
  }
  ~Capture() {
    if (controller.isOpen()) xdotool({"key", "Escape"});
  }
  OverlayView* view() { return controller.window()->overlay(); }
  bool open(int x = 640, int y = 400) {
    xdotool({"mousemove", arg(x), arg(y)});
    controller.start();
    return waitUntil([&] { return controller.isOpen() && controller.window()->ready(); });
  }
};

struct CaptureX : ::testing::Test, Capture {
  void SetUp() override { Settings::shared().setFastMode(false); }
};

}  // namespace

TEST_F(CaptureX, StillShowsOtherWindowsButNotOursAndOursComeBack) {
  PatternWindow foreign({600, 300, 300, 200});
  ASSERT_TRUE(foreign.waitShown());
  // A window of ours, in a colour no pattern pixel has.
  QWidget own(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  own.setGeometry(100, 120, 200, 150);
  QPalette magenta;
  magenta.setColor(QPalette::Window, QColor(255, 0, 255));
  own.setPalette(magenta);
  own.setAutoFillBackground(true);
  own.show();
  ASSERT_TRUE(waitUntil([&] { return isMagenta(rootPixel({150, 170})); }));

  ASSERT_TRUE(open());
  const QImage still = view()->image();
  ASSERT_EQ(still.size(), QSize(1280, 800));
  for (const QPoint p : {QPoint(110, 130), QPoint(200, 200), QPoint(290, 260)})
    EXPECT_FALSE(isMagenta(still.pixel(p))) << p.x() << "," << p.y();
  const QRect client = foreign.client();
  for (const QPoint p : {QPoint(0, 0), QPoint(150, 100), QPoint(299, 199)})
    EXPECT_EQ(still.pixel(client.topLeft() + p), patternAt(p.x(), p.y()));
  EXPECT_FALSE(isMagenta(rootPixel({150, 170}))) << "the overlay shows the still on screen";

  xdotool({"key", "Escape"});
  ASSERT_TRUE(waitUntil([&] { return cancels == 1; }));
  EXPECT_FALSE(controller.isOpen());
  EXPECT_TRUE(own.isVisible());
  EXPECT_TRUE(waitUntil([&] { return isMagenta(rootPixel({150, 170})); }));
}

TEST_F(CaptureX, DragReturnsExactlyTheFramedPixels) {
  PatternWindow foreign({500, 250, 300, 200});
  ASSERT_TRUE(foreign.waitShown());
  const QRect c = foreign.client();
  ASSERT_TRUE(open());
  const QPoint from = c.topLeft() + QPoint(17, 23), to = c.topLeft() + QPoint(250, 161);
  xdotool({"mousemove", arg(from.x()), arg(from.y()), "mousedown", "1"});
  xdotool({"mousemove", arg(to.x() - 40), arg(to.y() - 30)});
  xdotool({"mousemove", arg(to.x()), arg(to.y()), "mouseup", "1"});
  ASSERT_TRUE(waitUntil([&] { return !picked.empty(); }));
  EXPECT_FALSE(controller.isOpen());
  EXPECT_EQ(picked[0].rect, QRectF(QRect(from, to - QPoint(1, 1))));
  const QImage& img = picked[0].image;
  ASSERT_EQ(img.size(), QSize(233, 138));
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) ASSERT_EQ(img.pixel(x, y), patternAt(x + 17, y + 23)) << x << "," << y;
}

TEST_F(CaptureX, WindowModePicksTheForeignWindowWithItsFrame) {
  PatternWindow foreign({450, 200, 320, 220});
  ASSERT_TRUE(foreign.waitShown());
  const QRect frame = foreign.frame(), client = foreign.client();
  ASSERT_TRUE(open(100, 100));
  xdotool({"key", "space"});
  xdotool({"mousemove", arg(client.center().x()), arg(client.center().y())});
  ASSERT_TRUE(waitUntil([&] { return view()->hovered().has_value(); }));
  EXPECT_EQ(view()->hovered(), QRectF(frame));
  xdotool({"click", "1"});
  ASSERT_TRUE(waitUntil([&] { return !picked.empty(); }));
  EXPECT_EQ(picked[0].rect, QRectF(frame));
  const QImage& img = picked[0].image;
  ASSERT_EQ(img.size(), frame.size());
  const QPoint inner = client.topLeft() - frame.topLeft();
  EXPECT_EQ(img.pixel(inner), patternAt(0, 0));
  EXPECT_EQ(img.pixel(inner + QPoint(319, 219)), patternAt(319, 219));
}

TEST_F(CaptureX, KeysReachTheOverlayAndEscReleasesTheGrabs) {
  PatternWindow other({900, 500, 100, 100});
  ASSERT_TRUE(other.waitShown());
  ActiveWindow::activate(other.id());
  ASSERT_TRUE(waitUntil([&] { return ActiveWindow::current() == other.id(); }));
  ASSERT_TRUE(open());
  EXPECT_FALSE(other.canGrab()) << "the overlay holds keyboard and pointer";
  xdotool({"key", "Tab"});
  EXPECT_TRUE(waitUntil([] { return Settings::shared().fastMode(); }));
  xdotool({"key", "2"});
  EXPECT_TRUE(waitUntil([] { return !Settings::shared().fastMode(); }));
  xdotool({"key", "Escape"});
  EXPECT_TRUE(waitUntil([&] { return cancels == 1; }));
  EXPECT_TRUE(picked.empty());
  EXPECT_TRUE(waitUntil([&] { return other.canGrab(); }));
  EXPECT_EQ(ActiveWindow::current(), other.id()) << "the focus went back";
}

namespace {
// The same drag at a scale factor of 2, in a process of its own.
const bool scaledChild = (testenv::registerChild("scaled-drag", [] {
  PatternWindow foreign({400, 200, 300, 200});
  if (!foreign.waitShown()) return 2;
  const QRect c = foreign.client();
  Capture capture;
  if (!capture.open()) return 3;
  // Device pixels (20, 30) to (220, 130) of the client: logical 100 x 50.
  const QPoint from = c.topLeft() + QPoint(20, 30);
  drag(from, from + QPoint(200, 100));
  if (!waitUntil([&] { return !capture.picked.empty(); })) return 4;
  const auto& [img, r] = capture.picked[0];
  // The drag is made integral in logical pixels, so its device origin may
  // sit half a logical pixel before the pointer's.
  if (std::abs(r.x() * 2 - from.x()) > 1 || std::abs(r.y() * 2 - from.y()) > 1) return 5;
  if (r.size() != QSizeF(100, 50) || img.size() != QSize(200, 100)) return 6;
  const QPoint at = QPoint(int(r.x() * 2), int(r.y() * 2)) - c.topLeft();
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x)
      if (img.pixel(x, y) != patternAt(x + at.x(), y + at.y())) return 7;
  return 0;
}), true);
}  // namespace

TEST(CaptureXScaled, ScaleFactorTwoDoublesThePixels) {
  ASSERT_TRUE(scaledChild);
  const auto r = testenv::runChild("scaled-drag", {{"QT_SCALE_FACTOR", "2"}});
  EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
}

TEST(MarkerX, MarkerFramesThePickWithoutCoveringIt) {
  PatternWindow foreign({400, 250, 300, 200});
  ASSERT_TRUE(foreign.waitShown());
  const QRect c = foreign.client();
  const QRect picked(c.topLeft() + QPoint(50, 40), QSize(180, 110));
  SelectionMarker marker;
  marker.show(picked);
  const QPoint bracket = picked.topLeft() - QPoint(6, 6);
  ASSERT_TRUE(waitUntil([&] { return QColor(rootPixel(bracket)).red() > 150; })) << "the bracket is drawn";
  EXPECT_LT(QColor(rootPixel(bracket)).green(), 120);
  // Inside the pick only the thin band may differ from what is under it: a
  // window without a compositor would be an opaque box there.
  const QImage screen = rootImage(picked);
  int differing = 0;
  for (int y = 0; y < picked.height(); ++y)
    for (int x = 0; x < picked.width(); ++x) differing += screen.pixel(x, y) != patternAt(x + 50, y + 40);
  EXPECT_LE(differing, 4 * picked.width());
  EXPECT_TRUE(marker.live()->windowFlags() & Qt::WindowTransparentForInput) << "clicks go through";

  marker.finish(true);
  EXPECT_TRUE(waitUntil([&] { return QColor(rootPixel({picked.right() + 8, picked.top() + 4})).red() > 150; }))
      << "the badge";
  EXPECT_TRUE(waitUntil([&] {
    return rootPixel({picked.left() - 2, picked.center().y()}) == patternAt(48, picked.center().y() - c.top());
  }, 3000)) << "faded and gone";
}
