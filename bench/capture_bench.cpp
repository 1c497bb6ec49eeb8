// Capture timing on private X servers (Xvfb with openbox) at 1280x800 and
// 3840x2160: start() until the overlay is on screen, painted and holding the
// keyboard and mouse (median of 20), and the overlay's repaint per pointer
// move during a drag (paint and flush to the server), against repainting the
// whole still as a plain full redraw would.
//
// Run: build/bench/capture_bench
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "capture/CaptureController.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "platform/Bundle.h"
#include "platform/X11.h"

namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}
double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

void sync() {
  xcb_connection_t* conn = x11::connection();
  std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr));
}

bool waitFor(const std::function<bool()>& done, int ms = 10000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  return true;
}

// Some other client's windows, so the screen is not empty and the window list has work.
void foreignWindows(xcb_connection_t* conn, int w, int h) {
  xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
  for (int i = 0; i < 6; ++i) {
    const xcb_window_t win = xcb_generate_id(conn);
    const uint32_t values[] = {uint32_t(0x203040 + i * 0x151515)};
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, win, s->root, int16_t(w / 10 + i * w / 12), int16_t(h / 10 + i * h / 14),
                      uint16_t(w / 3), uint16_t(h / 3), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual,
                      XCB_CW_BACK_PIXEL, values);
    xcb_map_window(conn, win);
  }
  xcb_flush(conn);
}

void move(QWidget* view, QPointF p) {
  QMouseEvent ev(QEvent::MouseMove, p, view->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view, &ev);
}

int run(int argc, char** argv) {
  QApplication app(argc, argv);
  Bundle::setResourceDir(QStringLiteral(TARVOK_SOURCE_DIR "/resources"));
  const QSize screen = QGuiApplication::primaryScreen()->size();
  xcb_connection_t* other = xcb_connect(nullptr, nullptr);
  foreignWindows(other, screen.width(), screen.height());
  QThread::msleep(300);

  CaptureController controller;
  int cancels = 0;
  controller.onCancel = [&] { ++cancels; };
  std::vector<double> open;
  for (int i = 0; i < 21; ++i) {
    QElapsedTimer t;
    t.start();
    controller.start();
    if (!waitFor([&] { return controller.window() && controller.window()->ready(); })) {
      std::printf("overlay did not come up\n");
      return 1;
    }
    if (i > 0) open.push_back(t.nsecsElapsed() / 1e6);  // the first run pays one-time set-up
    if (i < 20) {
      controller.window()->overlay()->onCancel();
      waitFor([] { return false; }, 250);  // the server repaints what the overlay covered
    }
  }
  std::printf("%dx%d  start -> overlay shown and grabbing: median %.1f ms, p90 %.1f ms (n=20)\n", screen.width(),
              screen.height(), median(open), percentile(open, 0.9));

  OverlayView* view = controller.window()->overlay();
  const QPointF anchor(screen.width() * 0.2, screen.height() * 0.2);
  QMouseEvent press(QEvent::MouseButtonPress, anchor, view->mapToGlobal(anchor), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(view, &press);
  std::vector<double> step, area;
  for (int i = 0; i < 300; ++i) {
    const QPointF p = anchor + QPointF(screen.width() * 0.5 * i / 300.0 + 10, screen.height() * 0.4 * i / 300.0 + 10);
    QElapsedTimer t;
    t.start();
    move(view, p);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    sync();
    step.push_back(t.nsecsElapsed() / 1e6);
    area.push_back(double(view->lastPaintArea()));
  }
  std::vector<double> full;
  for (int i = 0; i < 30; ++i) {
    QElapsedTimer t;
    t.start();
    view->repaint();
    sync();
    full.push_back(t.nsecsElapsed() / 1e6);
  }
  std::printf("%dx%d  repaint per pointer move while dragging: median %.2f ms, p95 %.2f ms, %.1f%% of the screen "
              "per paint; full repaint %.2f ms\n",
              screen.width(), screen.height(), median(step), percentile(step, 0.95),
              100.0 * median(area) / (double(screen.width()) * screen.height()), median(full));
  controller.window()->overlay()->onCancel();
  xcb_disconnect(other);
  return 0;
}

// Starts Xvfb of the given size and openbox, runs this program inside, stops both.
int session(const char* self, int w, int h) {
  int fds[2];
  if (pipe(fds) != 0) return 1;
  const QByteArray screen = QByteArray::number(w) + "x" + QByteArray::number(h) + "x24";
  const pid_t xvfb = fork();
  if (xvfb == 0) {
    const QByteArray fd = QByteArray::number(fds[1]);
    close(fds[0]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", screen.constData(), "-nolisten", "tcp",
           "-ac", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char buf[32] = {};
  const ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  if (n <= 0) return 1;
  const QByteArray display = ":" + QByteArray(buf).trimmed();
  setenv("DISPLAY", display.constData(), 1);
  QProcess openbox;
  openbox.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
  openbox.waitForStarted();
  QThread::msleep(500);
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedChannels);
  child.start(QString::fromLocal8Bit(self), {QStringLiteral("--run")});
  child.waitForFinished(300000);
  openbox.terminate();
  openbox.waitForFinished();
  kill(xvfb, SIGTERM);
  waitpid(xvfb, nullptr, 0);
  return child.exitCode();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--run") == 0) return run(argc, argv);
  QTemporaryDir home;
  for (const char* var : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
    setenv(var, (home.path() + QLatin1Char('/') + QLatin1String(var)).toLocal8Bit().constData(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  int rc = 0;
  rc |= session(argv[0], 1280, 800);
  rc |= session(argv[0], 3840, 2160);
  return rc;
}
