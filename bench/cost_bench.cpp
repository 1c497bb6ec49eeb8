// What recognition costs on big and hostile pictures, in both modes, with the
// real program ("tarvok -read FILE", one process per case so that each peak
// is its own): pages of 12 px prose on full-HD, 4K and 8K screens (words read
// against the words drawn), a 20 x 20 grid of one QR code, a QR code with a
// caption beside it, 4K screens of several kinds of noise (nothing should be
// read), and two hostile files (a PNG whose text chunks inflate to 240 MB, a
// progressive 8000 x 8000 JPEG of 2000 scans). For each: wall seconds,
// processor seconds (user + system), peak resident memory, and what was read.
//
// Run: build/bench/cost_bench [path/to/tarvok] [--only TEXT] [--mode fast|accurate]
// The machine's load is printed before and after: other work on the cores
// distorts the wall times more than the processor times.
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/PrefStore.h"
#include "tests/app/FileCases.h"
#include "tests/recognition/CodeImages.h"
#include "bench/child_process.h"
#include "bench/prose_page.h"

namespace {

using bench::Run;

// Runs `exe args` with its own configuration, state and cache under `dir`,
// killing it after `limit` seconds.
Run runChild(const std::string& exe, const std::vector<std::string>& args, const QString& dir, double limit) {
  // No screen is needed, and none may be there.
  return bench::Child(exe, args, dir, {"QT_QPA_PLATFORM=offscreen"}).wait(limit);
}

using bench::prose;
using bench::vocabulary;

void write(const QString& path, const QByteArray& bytes) { filecases::save(path, bytes); }
void png(const QString& path, const QImage& image) { write(path, filecases::encoded(image, "png")); }

// Every file, made in a process of its own so that the pictures never count
// towards the peaks of the measured children.
int make(const QString& d) {
  for (const auto& [name, width, height] :
       {std::tuple{"prose-fhd", 1920, 1080}, {"prose-4k", 3840, 2160}, {"prose-8k", 7680, 4320}}) {
    QStringList drawn;
    png(d + "/" + name + ".png", prose(width, height, &drawn));
    write(d + "/" + name + ".words", drawn.join(QLatin1Char(' ')).toUtf8());
  }
  const auto qr = codeimages::encode(codeimages::BarcodeFormat::QRCode, "https://example.org/grid");
  QImage grid = filecases::blank(20 * 148, 20 * 148);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) codeimages::draw(grid, qr, x * 148 + 24, y * 148 + 24, 4);
  png(d + "/qr-grid.png", grid);
  // A page with a code and its caption beside it, as a sign-in page shows them.
  QImage captioned = filecases::blank(900, 300);
  codeimages::draw(captioned, codeimages::encode(codeimages::BarcodeFormat::QRCode, "https://example.org/pay"), 40,
                   40, 6);
  {
    QPainter p(&captioned);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    p.setFont(font);
    p.setPen(QColor(30, 30, 30));
    p.drawText(300, 120, QStringLiteral("Scan the code to pay the invoice"));
    p.drawText(300, 150, QStringLiteral("or open the link in your browser"));
  }
  png(d + "/qr-caption.png", captioned);
  write(d + "/qr-caption.words", "Scan the code to pay the invoice or open the link in your browser");

  const int w = 3840, h = 2160;
  png(d + "/noise-uniform.png", filecases::noise(w, h));
  for (const char* kind : {"gauss", "colour", "salt", "smooth"})
    png(d + "/noise-" + kind + ".png", filecases::noiseOf(kind, w, h));
  const QImage coarse = filecases::noise(w / 8, h / 8).convertToFormat(QImage::Format_RGB32);
  png(d + "/noise-blocks.png", coarse.scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation));
  write(d + "/noise-jpeg.jpg", filecases::encoded(filecases::noise(w, h), "jpeg"));

  // Thirty text chunks of about 8 KB, each inflating to 8 MB.
  write(d + "/text-chunks.png", filecases::pngWithTextBomb(30, 8000000));
  // 2000 scans of an 8000 x 8000 picture.
  write(d + "/scans.jpg", filecases::jpegWithScans(2000, 8000));
  return 0;
}

struct Case {
  QString name, file;
  bool prose = false;  // words read against the .words file
};

// Words of `truth` found in `read`, each counted at most as often as it was drawn.
int found(const QStringList& truth, const QStringList& read) {
  std::map<QString, int> left;
  for (const QString& w : truth) ++left[w];
  int n = 0;
  for (const QString& w : read)
    if (auto it = left.find(w); it != left.end() && it->second > 0) --it->second, ++n;
  return n;
}

QString loadavg() {
  QFile f(QStringLiteral("/proc/loadavg"));
  return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().trimmed()) : QString();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--make") == 0) {
    QGuiApplication app(argc, argv);
    return make(QString::fromLocal8Bit(argv[2]));
  }
  QCoreApplication app(argc, argv);
  std::string exe = (QCoreApplication::applicationDirPath() + QStringLiteral("/../tarvok")).toStdString();
  QString only, mode;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = QString::fromLocal8Bit(argv[++i]);
    } else if (std::strcmp(argv[i], "--mode") == 0 && i + 1 < argc) {
      mode = QString::fromLocal8Bit(argv[++i]);
    } else {
      exe = argv[i];
    }
  }
  QTemporaryDir dir;
  const QString d = dir.path();
  QDir().mkpath(d + "/make");
  if (runChild(QCoreApplication::applicationFilePath().toStdString(), {"--make", d.toStdString()}, d + "/make", 600)
          .outcome != "exit 0") {
    std::fprintf(stderr, "cost_bench: could not make the files\n");
    return 1;
  }
  const std::vector<Case> cases = {
      {"prose 1920x1080", "prose-fhd.png", true},
      {"prose 3840x2160", "prose-4k.png", true},
      {"prose 7680x4320", "prose-8k.png", true},
      {"QR grid 20x20 2960x2960", "qr-grid.png"},
      {"QR with caption 900x300", "qr-caption.png", true},
      {"noise uniform grey 4K", "noise-uniform.png"},
      {"noise gaussian grey 4K", "noise-gauss.png"},
      {"noise coloured 4K", "noise-colour.png"},
      {"noise salt and pepper 4K", "noise-salt.png"},
      {"noise 480x270 blocks to 4K", "noise-blocks.png"},
      {"noise 480x270 smooth to 4K", "noise-smooth.png"},
      {"noise JPEG 4K", "noise-jpeg.jpg"},
      {"PNG 30 text chunks", "text-chunks.png"},
      {"JPEG 8000x8000 2000 scans", "scans.jpg"},
  };
  std::printf("load before: %s\n", qPrintable(loadavg()));
  std::printf("%-28s %-8s %-8s %7s %7s %8s  %s\n", "case", "mode", "outcome", "wall s", "cpu s", "peak MB",
              "read");
  for (const Case& c : cases) {
    if (!only.isEmpty() && !c.name.contains(only, Qt::CaseInsensitive)) continue;
    for (const bool fast : {false, true}) {
      if (!mode.isEmpty() && mode != (fast ? QLatin1String("fast") : QLatin1String("accurate"))) continue;
      const QString run = d + "/run";
      QDir(run).removeRecursively();
      QDir().mkpath(run + "/CONFIG/tarvok");
      PrefStore(run + "/CONFIG/tarvok/tarvok.conf").setBool(QStringLiteral("fastMode"), fast);
      const Run r = runChild(exe, {"-read", (d + "/" + c.file).toStdString()}, run, 900);
      // After the four header lines: the codes on the second, the text from the fifth.
      const QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
      // The codes' payloads lead the text: they are not text read.
      QStringList text = lines.mid(4);
      text.removeIf([&](const QString& l) { return !l.isEmpty() && lines.value(1).contains(QStringLiteral(" ") + l); });
      const QStringList words = text.join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts);
      QString said;
      if (c.prose) {
        QFile truthFile(d + "/" + c.file.section(QLatin1Char('.'), 0, 0) + ".words");
        truthFile.open(QIODevice::ReadOnly);
        const QStringList truth = QString::fromUtf8(truthFile.readAll()).split(QLatin1Char(' '));
        const int n = found(truth, words);
        said = QStringLiteral("%1 of %2 words, %3 other").arg(n).arg(truth.size()).arg(words.size() - n);
      } else {
        int lineCount = 0;
        for (const QString& l : text) lineCount += !l.trimmed().isEmpty();
        said = QStringLiteral("%1 lines of text").arg(lineCount);
      }
      if (lines.size() > 1 && !lines[1].endsWith(QStringLiteral(": "))) said += QStringLiteral("; ") + lines[1].left(60);
      if (r.outcome != "exit 0" || lines.size() < 2) {
        for (const QString& l : QString::fromUtf8(r.err).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
          if (!l.startsWith(QStringLiteral("QStandardPaths"))) {
            said = l.left(70);
            break;
          }
      }
      std::printf("%-28s %-8s %-8s %7.2f %7.2f %8.0f  %s\n", qPrintable(c.name), fast ? "fast" : "accurate",
                  r.outcome.c_str(), r.seconds, r.cpu, r.peakMb, qPrintable(said));
      std::fflush(stdout);
    }
  }
  std::printf("load after: %s\n", qPrintable(loadavg()));
  return 0;
}
