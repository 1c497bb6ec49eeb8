// Accuracy and speed of the text engine on screen-like images rendered at run
// time: character error rate, warm recognize time and passes, the fast path,
// and the plain tesseract command line on the same image as the yardstick;
// then engine start cost and memory, memory after the warm-up, and CPU use.
// Run: build/bench/ocr_bench [--lang en,de,...] [--sweep | --show]
//   --sweep [--only TEXT]
//             error rate and time of the preparation factors (how they were
//             chosen), each varied from the defaults or those given below;
//             --only keeps the settings whose name contains TEXT
//   --show [--save DIR]
//             what one pass read, beside the truth, for every sample with errors
//             (saved as PNG files into DIR)
//   --crop    the 1200 x 300 crop only
//   --ui [--verbose] [--save DIR]
//             application dialogs: words found and junk, beside the command line
//   --window DIR
//             a few dialogs as real windows (under tests/support/xsession,
//             QT_QPA_PLATFORM=xcb), grabbed from the screen into DIR and read
//   --firstpass
//             the first pass with the seven Latin models, the Latin script
//             model, or the preferred languages alone: errors and time
//   --speed [--runs N]
//             whole pages warm, a Korean page with an English interface, memory
//             after the warm-up, and cold `tarvok -read` against the command line
//   --roads [--part dialogs,pages,foreign,speed,memory,cold] [--runs N] [--verbose]
//             the engine's own layout analysis against the text detector's
//             lines, beside the command line: dialogs, pages, warm full-HD
//             time, memory, cold `tarvok -read`
//   --code [--verbose]
//             code and terminal lines in monospace faces on both roads: the
//             underscores, dots and colons kept, and the look-alikes
//   --programs [--verbose] [--save DIR] [--only NAME]
//             windows of real programs (zenity, xterm, mousepad, galculator) on both roads
//             and the command line (--only: the windows whose name holds NAME);
//             under tests/support/xsession with QT_QPA_PLATFORM=xcb (see
//             bench/ocr_programs.h); then the listings of --listings
//   --listings [--only NAME] [--verbose] [--save DIR]
//             `ls -l` and `dpkg -l` in xterm's bitmap face and DejaVu Sans
//             Mono, window-picked and dragged (see bench/ocr_listings.h)
//   --psm N, --engines N, --line PX: change the defaults of --sweep and --show
#include <QApplication>
#include <QTemporaryDir>
#include <QThreadPool>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <future>
#include <map>
#include <unistd.h>

#include "bench/ocr_code.h"
#include "bench/ocr_firstpass.h"
#include "bench/ocr_listings.h"
#include "bench/ocr_measure.h"
#include "bench/ocr_programs.h"
#include "bench/ocr_roads.h"
#include "bench/ocr_samples.h"
#include "bench/ocr_speed.h"
#include "bench/ocr_sweep.h"
#include "bench/ocr_texts.h"
#include "bench/ocr_ui.h"
#include "platform/Bundle.h"
#include "recognition/engines/EnginePool.h"
#include "recognition/engines/EngineRun.h"
#include "recognition/LiveText.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/Recognizer.h"

namespace {

using samples::Layout;
using samples::Sample;

template <typename F>
auto offMain(F f) {
  return std::async(std::launch::async, f).get();
}

using samples::allSamples;
using samples::group;

struct Timing {
  double wall = 0;
  double user = 0;
};
Timing cpuTotals;

// Median wall time of `runs` calls, adding the CPU use to cpuTotals.
template <typename F>
double timed(int runs, F body) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const double u0 = measure::userCpuSeconds();
    const double t0 = measure::nowMs();
    body();
    const double dt = measure::nowMs() - t0;
    ms.push_back(dt);
    cpuTotals.wall += dt / 1000;
    cpuTotals.user += measure::userCpuSeconds() - u0;
  }
  return measure::median(ms);
}

int recognizePasses(const QImage& image, const QStringList& prefer, Recognized* out) {
  int passes = 0;
  *out = Recognizer::recognize(image, prefer, true, [&](const QImage& img, const QStringList& languages) {
    ++passes;
    return Recognizer::read(img, languages, false);
  });
  return passes;
}

void table(const QStringList& only) {
  const bool cli = measure::haveCommandLine();
  if (!cli) std::printf("(tesseract command line missing: yardstick column left out)\n");
  QTemporaryDir dir;
  std::printf("%-4s %-5s %4s %-5s | %7s %6s %3s | %7s %6s | %7s\n", "lang", "kind", "px", "bg", "CER", "ms", "ps",
              "fastCER", "fastms", "cliCER");
  std::map<QString, measure::Errors> ours, theirs;
  int n = 0;
  for (const Sample& s : allSamples(only)) {
    const bool spaceless = s.language->spaceless;
    Recognized result;
    recognizePasses(s.image, s.language->prefer, &result);  // starts what the passes need
    int passes = 0;
    const double ms = timed(3, [&] { passes = recognizePasses(s.image, s.language->prefer, &result); });
    const measure::Errors e = measure::errors(s.truth, result.text(), spaceless);

    std::optional<Recognized> fast = offMain([&] { return LiveText::read(s.image, s.language->prefer); });
    const double fastMs = timed(3, [&] { fast = offMain([&] { return LiveText::read(s.image, s.language->prefer); }); });
    const measure::Errors fe = measure::errors(s.truth, fast ? fast->text() : QString(), spaceless);

    measure::Errors ce;
    if (cli) {
      const QString png = dir.filePath(QStringLiteral("s%1.png").arg(n++));
      s.image.save(png);
      ce = measure::errors(s.truth, measure::commandLine(png, QLatin1String(s.language->cli)), spaceless);
    }
    const QString key = group(s) + (s.ratio == 2 ? QStringLiteral(" 2x") : s.dark ? QStringLiteral(" dark") : QStringLiteral(" light"));
    ours[key] += e;
    theirs[key] += ce;
    const QString lang = QStringLiteral("%1 (all)").arg(QLatin1String(s.language->id));
    ours[lang] += e;
    theirs[lang] += ce;
    std::printf("%-4s %-5s %2d%s %-5s | %6.2f%% %6.0f %3d | %6.2f%% %6.0f | %6.2f%%\n", s.language->id,
                samples::layoutName(s.layout), s.px, s.ratio == 2 ? "@2" : "  ", s.dark ? "dark" : "light",
                100 * e.rate(), ms, passes, 100 * fe.rate(), fastMs, 100 * ce.rate());
    std::fflush(stdout);
  }
  std::printf("\n%-16s | %8s | %8s | %s\n", "set", "CER", "cli CER", "ratio");
  for (const auto& [key, e] : ours) {
    const double c = theirs[key].rate();
    std::printf("%-16s | %7.2f%% | %7.2f%% | %s\n", qPrintable(key), 100 * e.rate(), 100 * c,
                c > 0 ? qPrintable(QString::number(e.rate() / c, 'f', 2)) : "-");
  }
}

// One pass with the first-pass languages under `config`, beside the truth.
void show(const QStringList& only, const ocr::RunConfig& config, const QString& saveTo) {
  measure::Errors total;
  for (const Sample& s : allSamples(only)) {
    const QString text = sweep::onePass(s, {QString(), config});
    const measure::Errors e = measure::errors(s.truth, text, s.language->spaceless);
    total += e;
    if (e.edits == 0) continue;
    const QString name = QStringLiteral("%1-%2-%3%4-%5").arg(QLatin1String(s.language->id),
        QLatin1String(samples::layoutName(s.layout))).arg(s.px).arg(QLatin1String(s.ratio == 2 ? "x2" : ""),
        QLatin1String(s.dark ? "dark" : "light"));
    if (!saveTo.isEmpty()) s.image.save(saveTo + QLatin1Char('/') + name + QStringLiteral(".png"));
    std::printf("== %s %s %d%s %s: %.2f%%\n--- truth\n%s\n--- read\n%s\n", s.language->id,
                samples::layoutName(s.layout), s.px, s.ratio == 2 ? "@2" : "", s.dark ? "dark" : "light",
                100 * e.rate(), qPrintable(s.truth), qPrintable(text));
  }
  std::printf("== all: %.2f%%\n", 100 * total.rate());
}

void crop() {
  const Sample s = samples::crop1200x300();
  Recognized result;
  recognizePasses(s.image, {QStringLiteral("en-US")}, &result);
  int passes = 0;
  const double accurate = timed(7, [&] { passes = recognizePasses(s.image, {QStringLiteral("en-US")}, &result); });
  std::optional<Recognized> fast = offMain([&] { return LiveText::read(s.image, {QStringLiteral("en-US")}); });
  const double fastMs = timed(7, [&] { fast = offMain([&] { return LiveText::read(s.image, {QStringLiteral("en-US")}); }); });
  std::printf("\n1200x300 four-line crop: accurate %.0f ms (%d pass, CER %.2f%%), fast %.0f ms (CER %.2f%%): fast is %.1fx\n",
              accurate, passes, 100 * measure::errors(s.truth, result.text(), false).rate(), fastMs,
              100 * measure::errors(s.truth, fast ? fast->text() : QString(), false).rate(), accurate / fastMs);
}

// Children: one engine start, or the warm-up, in a fresh process each.
QString runChild(const char* self, const QStringList& args) {
  QProcess p;
  p.start(QString::fromLocal8Bit(self), args);
  p.waitForFinished(300000);
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

int childEngine(const QString& key) {
  EnginePool pool(OCRLanguages::tessdataDir());
  const double before = measure::residentMB();
  const double t0 = measure::nowMs();
  EnginePool::Lease lease = pool.acquire(key);
  std::printf("%-30s %7.0f ms %7.1f MB%s\n", qPrintable(key), measure::nowMs() - t0, measure::residentMB() - before,
              lease ? "" : " (failed)");
  return 0;
}

int childWarm() {
  auto report = [](const char* what, double t0, double before) {
    std::printf("%-22s %5.0f ms, resident %4.0f MB -> %4.0f MB (+%3.0f MB), %d engines idle\n", what,
                measure::nowMs() - t0, before, measure::residentMB(), measure::residentMB() - before,
                EnginePool::shared().idleTotal());
  };
  const double start = measure::residentMB();
  double t0 = measure::nowMs();
  Recognizer::warmUp();
  report("warm-up:", t0, start);
  const double accurate = measure::residentMB();
  t0 = measure::nowMs();
  LiveText::warmUp(OCRLanguages::primary(std::nullopt));
  QThreadPool::globalInstance()->waitForDone();
  report("then fast warm-up:", t0, accurate);
  return 0;
}

void engines(const char* self) {
  std::printf("\nengine start (fresh process each): key, start time, resident memory added\n");
  for (const char* key : {"eng", "eng+fra+ita+deu+spa+por+vie", "deu+eng+fra+ita+spa+por+vie", "kor+eng", "jpn+eng",
                          "chi_sim+eng", "chi_tra+eng", "rus+eng", "ukr+eng", "tha+eng", "ara+eng"})
    std::printf("%s\n", qPrintable(runChild(self, {QStringLiteral("--engine"), QLatin1String(key)})));
  std::printf("%s\n", qPrintable(runChild(self, {QStringLiteral("--warm")})));
}

}  // namespace

int main(int argc, char** argv) {
  // Tesseract's OpenMP reads the limit when the library loads: re-run with it.
  if (!std::getenv("OMP_THREAD_LIMIT")) {
    setenv("OMP_THREAD_LIMIT", "1", 1);
    execv("/proc/self/exe", argv);
  }
  // Without a display the xcb platform would abort the start: say what is missing instead.
  if (std::find_if(argv, argv + argc, [](const char* a) {
        return std::strcmp(a, "--programs") == 0 || std::strcmp(a, "--listings") == 0;
      }) != argv + argc &&
      qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::printf("%s\n", programs::kNeedsDisplay);
    return 0;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  // The resources (the text detector's model) of the build tree.
  Bundle::setResourceDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../resources"));
  const QStringList args = app.arguments();
  if (args.size() > 2 && args[1] == QLatin1String("--engine")) return childEngine(args[2]);
  if (args.size() > 1 && args[1] == QLatin1String("--warm")) return childWarm();
  if (args.size() > 2 && args[1] == QLatin1String("--memory")) return roads::childMemory(args[2] == QLatin1String("detector"));
  QStringList only;
  const qsizetype at = args.indexOf(QStringLiteral("--lang"));
  if (at > 0 && at + 1 < args.size()) only = args[at + 1].split(QLatin1Char(','));
  auto option = [&](const char* name) {
    const qsizetype i = args.indexOf(QLatin1String(name));
    return i > 0 && i + 1 < args.size() ? args[i + 1] : QString();
  };
  ocr::RunConfig config;
  if (!option("--psm").isEmpty()) config.pageSegMode = option("--psm").toInt();
  if (!option("--engines").isEmpty()) config.maxEngines = option("--engines").toInt();
  if (!option("--line").isEmpty())
    config.prepare.lineHeight = config.prepare.latinLineHeight = config.prepare.cyrillicLineHeight =
        option("--line").toDouble();
  if (args.contains(QStringLiteral("--show"))) {
    const qsizetype save = args.indexOf(QStringLiteral("--save"));
    show(only, config, save > 0 && save + 1 < args.size() ? args[save + 1] : QString());
    return 0;
  }
  if (args.contains(QStringLiteral("--sweep"))) {
    sweep::run(only, config, option("--only"));
    return 0;
  }
  // A warm pool, as after the application's start.
  Recognizer::warmUp();
  LiveText::warmUp(OCRLanguages::primary(std::nullopt));
  QThreadPool::globalInstance()->waitForDone();
  if (args.contains(QStringLiteral("--ui"))) {
    const qsizetype save = args.indexOf(QStringLiteral("--save"));
    uibench::run(only, args.contains(QStringLiteral("--verbose")), save > 0 && save + 1 < args.size() ? args[save + 1] : QString());
    return 0;
  }
  if (!option("--window").isEmpty()) {
    uibench::windows(option("--window"));
    return 0;
  }
  if (args.contains(QStringLiteral("--roads"))) {
    roads::run(argv[0], only, option("--part").split(QLatin1Char(','), Qt::SkipEmptyParts),
               option("--runs").isEmpty() ? 3 : option("--runs").toInt(), args.contains(QStringLiteral("--verbose")));
    return 0;
  }
  if (args.contains(QStringLiteral("--code"))) {
    codebench::run(args.contains(QStringLiteral("--verbose")));
    return 0;
  }
  if (args.contains(QStringLiteral("--programs")) || args.contains(QStringLiteral("--listings"))) {
    const bool verbose = args.contains(QStringLiteral("--verbose"));
    if (!programs::ready()) return 0;
    if (args.contains(QStringLiteral("--programs"))) programs::run(verbose, option("--save"), option("--only"));
    listings::run(verbose, option("--save"), option("--only"));
    return 0;
  }
  if (args.contains(QStringLiteral("--firstpass"))) {
    firstpass::run();
    return 0;
  }
  if (args.contains(QStringLiteral("--speed"))) {
    speed::pages();
    std::printf("\n%s\n", qPrintable(runChild(argv[0], {QStringLiteral("--warm")})));
    speed::coldRead(option("--runs").isEmpty() ? 3 : option("--runs").toInt());
    return 0;
  }
  if (args.contains(QStringLiteral("--crop"))) {
    crop();
    return 0;
  }
  crop();  // first, while the warm-up's engines are the pool's
  table(only);
  engines(argv[0]);
  std::printf("\nuser CPU / wall over the timed runs: %.2f (%.1f s / %.1f s)\n", cpuTotals.user / cpuTotals.wall,
              cpuTotals.user, cpuTotals.wall);
  return 0;
}
