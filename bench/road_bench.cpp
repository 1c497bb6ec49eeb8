// The whole road as a user meets it, with the real program (build/tarvok) on
// a private X session (tests/support/xsession: Xvfb, openbox, trayer):
//  - pick to clipboard: from the mouse-up of a drag over an 800 x 200 region
//    of English text until the program owns the clipboard, median of 10, in
//    accurate and fast mode, with and without a QR code in the region;
//  - hot key to overlay: from the key press until the frozen screen shows on
//    the server (a watched pixel turns dim), median of 20.
//
// Run: OMP_THREAD_LIMIT=1 build/bench/road_bench   (it starts its own X session)
#include <unistd.h>
#include <xcb/xcb.h>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/PrefStore.h"
#include "bench/x_picture.h"

namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

bool waitFor(const std::function<bool()>& done, int ms = 15000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
  }
  return true;
}

void sleepMs(int ms) { QThread::msleep(ulong(ms)); }

int run(const QString& program, const QStringList& args, const QByteArray& input = {}) {
  QProcess p;
  p.start(program, args);
  if (!input.isNull()) {
    p.write(input);
    p.closeWriteChannel();
  }
  p.waitForFinished(10000);
  return p.exitCode();
}

void xdotool(const QStringList& args) { run(QStringLiteral("xdotool"), args); }

QImage page(bool withCode) {
  QImage image(800, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(18);
  p.setFont(font);
  p.setPen(QColor(30, 30, 30));
  const char* lines[] = {"The quarterly report is attached for your review before Friday.",
                         "Please confirm the shipping address and the order number 48213.",
                         "Meeting notes: budget approved, hiring plan moves to next month.",
                         "Contact support at help@example.com for any further questions."};
  const int width = withCode ? 600 : 780;
  int y = 40;
  for (const char* line : lines) {
    p.drawText(QRect(12, y - 22, width, 30), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(line));
    y += 42;
  }
  if (withCode) {
    const ZXing::BitMatrix m =
        ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).setMargin(0).encode("https://example.com/r/48213", 0, 0);
    const int module = 5, x0 = 630, y0 = 30;
    for (int r = 0; r < m.height(); ++r)
      for (int c = 0; c < m.width(); ++c)
        if (m.get(c, r)) p.fillRect(x0 + c * module, y0 + r * module, module, module, Qt::black);
  }
  return image;
}

// The X server, asked directly: the clipboard's owner and one screen pixel.
struct Server {
  xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
  xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
  xcb_atom_t clipboard = [this] {
    auto* r = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, 9, "CLIPBOARD"), nullptr);
    const xcb_atom_t a = r->atom;
    std::free(r);
    return a;
  }();
  ~Server() { xcb_disconnect(conn); }
  xcb_window_t owner() {
    auto* r = xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, clipboard), nullptr);
    const xcb_window_t w = r ? r->owner : 0;
    std::free(r);
    return w;
  }
  uint32_t pixel(QPoint p) {
    auto* r = xcb_get_image_reply(
        conn, xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(p.x()), int16_t(p.y()), 1, 1, ~0u), nullptr);
    uint32_t v = 0;
    if (r && xcb_get_image_data_length(r) >= 4) std::memcpy(&v, xcb_get_image_data(r), 4);
    std::free(r);
    return v & 0xFFFFFF;
  }
};

class Program {
 public:
  Program(const QString& exe, bool fast) {
    env_ = QProcessEnvironment::systemEnvironment();
    for (const char* d : {"config", "state", "cache"})
      env_.insert(QStringLiteral("XDG_%1_HOME").arg(QString::fromLatin1(d).toUpper()), dir_.path() + "/" + d);
    PrefStore prefs(dir_.path() + QStringLiteral("/config/tarvok/tarvok.conf"));
    prefs.setBool(QStringLiteral("onboarded"), true);
    prefs.setBool(QStringLiteral("fastMode"), fast);
    env_.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tarvok.*.debug=true"));
    env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process_.setProcessEnvironment(env_);
    QObject::connect(&process_, &QProcess::readyReadStandardError, [this] { log_ += process_.readAllStandardError(); });
    process_.start(exe, {});
    waitFor([&] { return log_.contains("registered"); });
    waitFor([&] { return log_.count("text engine") >= 1; }, 5000);  // the warm-up
    sleepMs(500);
  }
  ~Program() {
    process_.terminate();
    process_.waitForFinished(5000);
  }
  int count(const char* text) const { return int(log_.count(text)); }

 private:
  QTemporaryDir dir_;
  QProcessEnvironment env_;
  QProcess process_;
  QByteArray log_;
};

void pickToClipboard(const QString& exe, bool fast, bool withCode) {
  Program program(exe, fast);
  Picture doc(page(withCode), QPoint(200, 250));
  Server server;
  sleepMs(300);
  std::vector<double> ms;
  for (int i = 0; i < 10; ++i) {
    // The seed must really own the clipboard before the pick.
    const xcb_window_t before = server.owner();
    run(QStringLiteral("xclip"), {"-selection", "clipboard", "-i"}, "seed");
    waitFor([&] { return server.owner() != before && server.owner() != 0; });
    const xcb_window_t seeded = server.owner();
    const int overlays = program.count("overlay up");
    xdotool({"key", "ctrl+shift+2"});
    if (!waitFor([&] { return program.count("overlay up") > overlays; })) break;
    xdotool({"mousemove", "200", "250", "mousedown", "1", "mousemove", "600", "350", "mousemove", "999", "449"});
    QElapsedTimer t;
    // The mouse-up is the last thing xdotool does: time from its start.
    QProcess up;
    t.start();
    up.start(QStringLiteral("xdotool"), {"mouseup", "1"});
    if (!waitFor([&] { return server.owner() != seeded && server.owner() != 0; })) break;
    ms.push_back(double(t.nsecsElapsed()) / 1e6);
    up.waitForFinished();
    sleepMs(1500);  // the toast and the marker settle, as between real captures
  }
  std::printf("pick to clipboard, %s, %s: median %.0f ms (n=%zu)\n", fast ? "fast" : "accurate",
              withCode ? "text and a QR code" : "text", median(ms), ms.size());
}

void hotKeyToOverlay(const QString& exe) {
  Program program(exe, false);
  Picture doc(page(false), QPoint(200, 250));
  Server server;
  sleepMs(300);
  const QPoint probe(600, 420);  // blank paper of the picture
  const uint32_t paper = server.pixel(probe);
  std::vector<double> ms;
  for (int i = 0; i < 20; ++i) {
    QElapsedTimer t;
    QProcess key;
    t.start();
    key.start(QStringLiteral("xdotool"), {"key", "ctrl+shift+2"});
    if (!waitFor([&] { return server.pixel(probe) != paper; })) break;
    ms.push_back(double(t.nsecsElapsed()) / 1e6);
    key.waitForFinished();
    xdotool({"key", "Escape"});
    waitFor([&] { return server.pixel(probe) == paper; });
    sleepMs(200);
  }
  std::printf("hot key to overlay on screen: median %.0f ms (n=%zu)\n", median(ms), ms.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("TARVOK_XSESSION_MODE")) {
    // Into a private X session of its own, with a window manager and a tray.
    const QByteArray session = TARVOK_SOURCE_DIR "/tests/support/xsession";
    execl(session.constData(), session.constData(), "--plain", argv[0], static_cast<char*>(nullptr));
    std::perror("xsession");
    return 1;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);  // this process only draws pictures
  QGuiApplication app(argc, argv);
  const QString exe = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../tarvok"));
  hotKeyToOverlay(exe);
  for (bool fast : {false, true})
    for (bool code : {false, true}) pickToClipboard(exe, fast, code);
  return 0;
}
