// Toast timing on a private X server (tests/support/xsession, no compositor):
// show() until the card's first paint has finished (the first show, which
// builds the panel, and later ones), and the clipboard backup of a 5 MB
// image owned by another process (xclip), as the main thread feels it:
// starting the background read, taking it synchronously, and Qt's own read
// for comparison. Then an owner that never answers.
//
// Run: build/bench/toast_bench   (it starts its own X session)
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/Bundle.h"
#include "tests/toast/XOwner.h"
#include "toast/ClipboardBackup.h"
#include "toast/ToastController.h"
#include "toast/ToastPanel.h"

namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}
double worst(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

bool waitFor(const std::function<bool()>& done, int ms = 10000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// Notes when the view has finished a paint.
class PaintWatch : public QObject {
 public:
  bool painted = false;
 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) QTimer::singleShot(0, this, [this] { painted = true; });
    return false;
  }
};

Recognized sample() {
  Recognized r;
  for (int i = 0; i < 8; ++i) r.lines.push_back({Piece{{}, QStringLiteral("Line %1 of recognised text, long enough to wrap").arg(i)}});
  r.codes = {Code{{}, QStringLiteral("https://example.com"), true}};
  return r;
}

void benchShow() {
  ToastController toast;
  PaintWatch watch;
  std::vector<double> warm;
  std::vector<double> call;
  double cold = 0;
  for (int i = 0; i < 21; ++i) {
    if (toast.panel()) {
      toast.hide();
      waitFor([&] { return !toast.panel()->isVisible(); });
      QThread::msleep(50);
      QCoreApplication::processEvents();
    }
    watch.painted = false;
    QElapsedTimer t;
    t.start();
    toast.show(ToastModel::Kind::picked, sample(), ClipboardBackup{});
    const double inShow = ms(t);
    if (i == 0) toast.view()->installEventFilter(&watch);
    if (!waitFor([&] { return watch.painted; })) std::printf("  no paint seen\n");
    if (i == 0) {
      cold = ms(t);
    } else {
      warm.push_back(ms(t));
      call.push_back(inShow);
    }
  }
  std::printf("show() to first paint: first %.1f ms (builds the panel); later median %.2f ms, worst %.2f ms "
              "(of which inside show(): median %.2f ms)\n",
              cold, median(warm), worst(warm), median(call));
}

QByteArray noise(qsizetype n) {
  QByteArray bytes(n, Qt::Uninitialized);
  QRandomGenerator gen(3);
  for (qsizetype i = 0; i + 4 <= n; i += 4) {
    const quint32 v = gen.generate();
    std::memcpy(bytes.data() + i, &v, 4);
  }
  return bytes;
}

bool seed(const QString& file) {
  if (QProcess::execute("xclip", {"-selection", "clipboard", "-t", "image/png", "-i", file}) != 0) return false;
  return waitFor([] {
    QProcess p;
    p.start("xclip", {"-o", "-selection", "clipboard", "-t", "TARGETS"});
    p.waitForFinished();
    return p.readAllStandardOutput().contains("image/png");
  });
}

void benchBackup() {
  const QByteArray image = noise(5 * 1024 * 1024);
  QTemporaryFile file;
  file.open();
  file.write(image);
  file.flush();
  std::vector<double> start, ready, take, qt;
  bool exact = true;
  for (int i = 0; i < 10; ++i) {
    if (!seed(file.fileName())) {
      std::printf("  xclip did not take the clipboard\n");
      return;
    }
    QElapsedTimer t;
    t.start();
    PendingBackup pending = PendingBackup::start();
    start.push_back(ms(t));
    waitFor([&] { return pending.ready(); });
    ready.push_back(ms(t));
    const ClipboardBackup b = pending.wait(0).value_or(ClipboardBackup{});
    exact = exact && !b.items.empty() && !b.items[0].empty() && b.items[0][0].second == image;

    seed(file.fileName());
    t.restart();
    const ClipboardBackup sync = ClipboardBackup::take(5000).value_or(ClipboardBackup{});
    take.push_back(ms(t));
    exact = exact && !sync.items.empty() && !sync.items[0].empty() && sync.items[0][0].second == image;

    seed(file.fileName());
    t.restart();
    const QByteArray viaQt = QGuiApplication::clipboard()->mimeData()->data("image/png");
    qt.push_back(ms(t));
    exact = exact && viaQt == image;
  }
  std::printf("backup of a 5 MB image owned by xclip (median of 10, main thread):\n"
              "  PendingBackup::start() %.2f ms; the read finishes in the background after %.1f ms\n"
              "  ClipboardBackup::take() %.1f ms (worst %.1f); Qt's own read of the same data %.1f ms\n"
              "  bytes identical: %s\n",
              median(start), median(ready), median(take), worst(take), median(qt), exact ? "yes" : "NO");
}

void benchHung() {
  xowner::Owner hung({{"UTF8_STRING", "never"}}, true);
  QElapsedTimer t;
  t.start();
  PendingBackup pending = PendingBackup::start();
  const double started = ms(t);
  const std::optional<ClipboardBackup> b = pending.wait(1000);
  std::printf("owner that never answers: start() %.2f ms, wait(1000) returned after %.0f ms with %s "
              "(Qt's own read blocks 10 s)\n",
              started, ms(t), b ? "data?" : "no backup (contents unknown)");
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("TARVOK_XSESSION_MODE")) {
    const QByteArray session = TARVOK_SOURCE_DIR "/tests/support/xsession";
    execl(session.constData(), session.constData(), "--plain", argv[0], static_cast<char*>(nullptr));
    std::perror("xsession");
    return 1;
  }
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  Bundle::setResourceDir(TARVOK_SOURCE_DIR "/resources");
  benchShow();
  benchBackup();
  benchHung();
  return 0;
}
