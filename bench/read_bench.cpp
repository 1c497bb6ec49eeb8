// "-read" on unlucky and hostile input, with the real program: for each case
// the outcome (exit code or the signal that killed it), the wall time, the
// peak memory of the process and the first line it wrote to standard error
// (for screens of text: how many of the words it printed are words of the
// page, and how many it printed against how many the page holds);
// then how long the program takes to end after SIGTERM, SIGINT or SIGHUP
// while it is reading, waiting on a named pipe, benchmarking, or starting in
// the tray. A case still running after its limit is killed and marked so.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/read_bench [path/to/tarvok] [--heavy]
// (--heavy adds the strips of two 8K screens and of three 5K screens).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <tuple>
#include <functional>
#include <string>
#include <vector>

#include "bench/child_process.h"
#include "bench/prose_page.h"
#include "tests/app/FileCases.h"
#include "tests/app/ProcWatch.h"
#include "tests/recognition/CodeImages.h"

extern char** environ;

namespace {

using bench::Child;
using bench::Run;

// Seconds of CPU the process has used: utime and stime, the 14th and 15th fields.
double cpuSeconds(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return 0;
  const QByteArray text = stat.readAll();
  const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');  // after the command name
  return fields.size() > 12 ? double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK))
                            : 0;
}

bool waitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QThread::msleep(5);
  }
  return true;
}

struct Case {
  std::string name;
  QString file;  // under the folder; made by make() unless it starts with "/"
  double limit = 300;
  int words = 0;  // a screen of prose: how many words it holds
  bool summary = false;  // shows the codes and the size of the text it printed
};

// The words of the prose screens; each line starts further into the list.
using bench::prose;
using bench::vocabulary;


// Of the words -read printed after its four header lines: how many are words
// of the page, and how many there are.
std::pair<int, int> wordsRead(const QByteArray& out) {
  const QStringList lines = QString::fromUtf8(out).split(QLatin1Char('\n'));
  int known = 0, printed = 0;
  for (qsizetype i = 4; i < lines.size(); ++i)
    for (const QString& word : lines[i].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
      ++printed;
      known += vocabulary().contains(word);
    }
  return {known, printed};
}

void write(const QString& path, const QByteArray& bytes) { filecases::save(path, bytes); }

void png(const QString& path, const QImage& picture) { write(path, filecases::encoded(picture, "png")); }

const char* const kFormats[] = {"png", "jpg", "webp", "tiff", "bmp", "gif"};

// Makes every file in a process of its own, so that the pictures never
// count towards the measuring process's peak memory, which its children's
// peaks start from.
int make(const QString& d, bool heavy) {
  write(d + "/notes.png", "not an image\n");
  write(d + "/empty.png", "");
  for (const char* format : kFormats) {
    const int keep = QByteArray(format) == "gif" ? 6 : 16;
    write(d + "/damaged." + format, filecases::damaged(filecases::valid(format), keep));
    write(d + "/cut." + format, filecases::cut(filecases::valid(format)));
  }
  png(d + "/8k.png", filecases::blank(7680, 4320));
  png(d + "/3x4k.png", filecases::blank(11520, 2160));
  png(d + "/over.png", filecases::blank(7680, 4370));
  if (heavy) {
    png(d + "/3x5k.png", filecases::blank(15360, 2880));
    png(d + "/2x8k.png", filecases::blank(15360, 4320));
  }
  png(d + "/huge.png", filecases::blank(9000, 9000, QImage::Format_Mono));
  write(d + "/huge.pgm", "P5\n30000 30000\n255\n");
  QImage page = filecases::blank(400, 400);
  std::string payload("\x1b]0;owned\x07 a");
  payload += std::string(1, '\0') + "b\nc\x1b[2J";
  codeimages::draw(page, codeimages::encode(codeimages::BarcodeFormat::QRCode, payload), 80, 80, 6);
  png(d + "/hostile-qr.png", page);
  png(d + "/thin.png", filecases::blank(1, 5000));
  png(d + "/thin-wide.png", filecases::noise(20000, 6));
  png(d + "/thin-tall.png", filecases::noise(3, 10000));
  png(d + "/noise-1k.png", filecases::noise(1000, 1000));
  png(d + "/noise-4k.png", filecases::noise(3840, 2160));
  png(d + "/photo.png", filecases::photo(4032, 3024));
  png(d + "/dense.png", codeimages::page(2000, 2000));
  QImage grid = filecases::blank(20 * 120, 20 * 120);
  const auto qr = codeimages::encode(codeimages::BarcodeFormat::QRCode, "https://example.org/grid");
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) codeimages::draw(grid, qr, x * 120 + 16, y * 120 + 16, 4);
  png(d + "/qr-grid.png", grid);
  for (const auto& [name, width, height] : {std::tuple{"prose-4k", 3840, 2160}, {"prose-8k", 7680, 4320}}) {
    QStringList drawn;
    png(d + "/" + name + ".png", prose(width, height, &drawn));
    write(d + "/" + name + ".words", QByteArray::number(drawn.size()));  // for the measuring process, which draws no text
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--make") == 0) {
    QGuiApplication app(argc, argv);
    return make(QString::fromLocal8Bit(argv[2]), std::strcmp(argv[3], "heavy") == 0);
  }
  QCoreApplication app(argc, argv);
  std::string exe = (QCoreApplication::applicationDirPath() + QStringLiteral("/../tarvok")).toStdString();
  bool heavy = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--heavy") == 0) {
      heavy = true;
    } else {
      exe = argv[i];
    }
  }
  QTemporaryDir dir;
  const QString d = dir.path();
  QDir().mkpath(d + "/make");
  Child maker(QCoreApplication::applicationFilePath().toStdString(),
              {"--make", d.toStdString(), heavy ? "heavy" : "light"}, d + "/make");
  if (maker.wait(600).exitCode != 0) {
    std::fprintf(stderr, "read_bench: could not make the files\n");
    return 1;
  }
  mkfifo(QFile::encodeName(d + "/pipe").constData(), 0600);

  std::vector<Case> cases = {
      {"missing file", "missing.png"},
      {"folder", "/"},
      {"named pipe, no writer", "pipe", 10},
      {"/dev/zero", "/dev/zero", 10},
      {"text file", "notes.png"},
      {"empty file", "empty.png"},
  };
  for (const char* format : kFormats) {
    cases.push_back({std::string("damaged ") + format, QStringLiteral("damaged.") + format});
    cases.push_back({std::string("cut short ") + format, QStringLiteral("cut.") + format});
  }
  cases.push_back({"8K blank 7680x4320", "8k.png"});
  cases.push_back({"3x4K blank 11520x2160", "3x4k.png"});
  cases.push_back({"7680x4370 blank (over Qt's 128 MB)", "over.png"});
  if (heavy) {
    cases.push_back({"3x5K blank 15360x2880", "3x5k.png"});
    cases.push_back({"2x8K blank 15360x4320", "2x8k.png"});
  }
  cases.push_back({"9000x9000 mono PNG (over the limit)", "huge.png"});
  cases.push_back({"PGM header 30000x30000", "huge.pgm"});
  cases.push_back({"QR with ESC, NUL, line breaks", "hostile-qr.png"});
  cases.push_back({"thin 1x5000 (recognition side)", "thin.png"});
  cases.push_back({"thin 20000x6 noise", "thin-wide.png"});
  cases.push_back({"thin 3x10000 noise", "thin-tall.png"});
  cases.push_back({"noise 1000x1000", "noise-1k.png"});
  cases.push_back({"noise 3840x2160", "noise-4k.png"});
  cases.push_back({"photo 4032x3024, no text", "photo.png"});
  cases.push_back({"20x20 grid of one QR code", "qr-grid.png", 300, 0, true});
  for (const auto& [name, file] : {std::pair{"12 px prose 3840x2160", "prose-4k"}, {"12 px prose 7680x4320", "prose-8k"}}) {
    QFile count(d + "/" + file + ".words");
    const int words = count.open(QIODevice::ReadOnly) ? count.readAll().toInt() : 0;
    cases.push_back({name, QLatin1String(file) + QStringLiteral(".png"), 600, words});
  }

  std::printf("%-40s %-22s %9s %9s  %s\n", "case", "outcome", "seconds", "peak MB", "first line on stderr");
  for (const Case& c : cases) {
    QDir(d + "/run").removeRecursively();
    QDir().mkpath(d + "/run");
    const QString path = c.file.startsWith(QLatin1Char('/')) ? c.file : d + QLatin1Char('/') + c.file;
    Child child(exe, {"-read", path.toStdString()}, d + "/run");
    const Run r = child.wait(c.limit);
    std::string said = r.firstError;
    if (c.words > 0) {
      const auto [known, printed] = wordsRead(r.out);
      said = std::to_string(known) + " of " + std::to_string(printed) + " words printed are the page's; it holds " +
             std::to_string(c.words);
    }
    if (c.summary) {
      const QList<QByteArray> lines = r.out.split('\n');
      said = lines.size() > 2 ? (lines[1] + " / " + lines[2]).toStdString() : std::string();
    }
    std::printf("%-40s %-22s %9.2f %9.0f  %s\n", c.name.c_str(), r.outcome.c_str(), r.seconds, r.peakMb, said.c_str());
    std::fflush(stdout);
  }

  // Signals: from the signal to the end of the process.
  const QString dense = d + "/dense.png";
  const QString pipe = d + "/pipe";
  struct Stop {
    std::string name;
    std::vector<std::string> args;
    int signal;
    double cpuFirst;  // CPU seconds to let pass before the signal
  };
  const std::vector<Stop> stops = {
      {"-read dense 2000x2000, SIGTERM", {"-read", dense.toStdString()}, SIGTERM, 1.5},
      {"-read dense 2000x2000, SIGINT", {"-read", dense.toStdString()}, SIGINT, 1.5},
      {"-read dense 2000x2000, SIGHUP", {"-read", dense.toStdString()}, SIGHUP, 1.5},
      {"-read named pipe, SIGTERM", {"-read", pipe.toStdString()}, SIGTERM, 0},
      {"-benchocr, SIGTERM", {"-benchocr"}, SIGTERM, 1.5},
      {"tray (offscreen), SIGTERM at start", {}, SIGTERM, 0},
  };
  std::printf("\n%-40s %-22s %12s\n", "signal while", "outcome", "to end (ms)");
  for (const Stop& s : stops) {
    QDir(d + "/run").removeRecursively();
    QDir().mkpath(d + "/run");
    Child child(exe, s.args, d + "/run");
    // The pipe case waits in open() before any handler exists: give it a moment.
    if (!waitFor([&] { return procwatch::catches(child.pid(), SIGTERM); }, 3000)) QThread::msleep(1000);
    waitFor([&] { return cpuSeconds(child.pid()) >= s.cpuFirst; }, 30000);
    ::kill(child.pid(), s.signal);
    child.restartClock();
    const Run r = child.wait(30);
    std::printf("%-40s %-22s %12.0f\n", s.name.c_str(), r.outcome.c_str(), r.seconds * 1000);
    std::fflush(stdout);
  }
  return 0;
}
