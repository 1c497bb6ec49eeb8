// bench/ocr_bench --roads: the two ways the accurate reader finds its lines,
// side by side in one run with the tesseract command line: the engine's own
// layout analysis of the whole prepared image ("layout"), and the text
// detector's boxes read one line at a time ("detector"). Dialogs (words found,
// junk per dialog), pages (error rates by script and layout; read by the
// language's own user and by one whose interface is English), a warm full-HD
// capture, memory after the warm-up and at peak per capture (fresh process
// each), and cold `tarvok -read` against the command line.
// Run: build/bench/ocr_bench --roads [--lang en,ko] [--part dialogs,pages,foreign,speed,memory,cold] [--runs N] [--verbose]
#pragma once
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <future>
#include <map>
#include <thread>

#include "bench/ocr_measure.h"
#include "bench/ocr_samples.h"
#include "bench/ocr_speed.h"
#include "recognition/engines/HugePages.h"
#include "recognition/LiveText.h"
#include "recognition/Recognizer.h"
#include "recognition/lines/TextDetector.h"
#include "tests/recognition/UiScreenScore.h"
#include "tests/recognition/UiScreens.h"

namespace roads {

struct Road {
  const char* name;
  bool detector;
};
inline const Road kRoads[] = {{"layout", false}, {"detector", true}};

struct Words {
  int expected = 0, found = 0, junk = 0, dialogs = 0;
  void add(const uiscreens::Score& s) { expected += s.expected, found += s.found, junk += int(s.junk.size()), ++dialogs; }
  QString line() const {
    return QStringLiteral("%1/%2 (%3 %) %4 junk/dialog")
        .arg(found).arg(expected).arg(expected ? 100.0 * found / expected : 0, 5, 'f', 1)
        .arg(dialogs ? double(junk) / dialogs : 0, 4, 'f', 2);
  }
};

inline Recognized recognizeOn(const Road& road, const QImage& image, const QStringList& prefer) {
  ocr::setDetectorRoad(road.detector);
  return Recognizer::recognize(image, prefer, true);
}

// `verbose`: the words each road missed and its junk, dialog by dialog.
inline void dialogs(const QStringList& only, bool verbose) {
  const bool cli = measure::haveCommandLine();
  QTemporaryDir dir;
  std::map<QString, Words> by[3];  // layout, detector, command line
  std::printf("dialogs: words found (order-free) and junk tokens\n%-20s | %-10s | %-10s | %s\n", "dialog", "layout",
              "detector", "command line");
  for (const uiscreens::Screen& s : uiscreens::all(only)) {
    const QString id = QStringLiteral("%1-%2%3%4").arg(QLatin1String(s.language->id), QLatin1String(uiscreens::kindName(s.kind)),
                                                      s.ratio == 2 ? QStringLiteral("@2") : QString(),
                                                      s.dark ? QStringLiteral("-dark") : QString());
    QStringList cells, misses;
    for (int r = 0; r < 3; ++r) {
      QString text;
      if (r < 2) {
        text = recognizeOn(kRoads[r], s.image, s.language->prefer).text();
      } else if (cli) {
        const QString png = dir.filePath(id + QStringLiteral(".png"));
        s.image.save(png);
        text = measure::commandLine(png, QLatin1String(s.language->cli));
      }
      const uiscreens::Score sc = uiscreens::score(s.expected, text, s.language->spaceless);
      for (const QString& key : {QStringLiteral("all"), QString::fromLatin1(s.language->id),
                                 QStringLiteral("%1 @%2").arg(QLatin1String(s.language->id)).arg(s.ratio),
                                 QString::fromLatin1(uiscreens::kindName(s.kind)),
                                 s.ratio == 2 ? QStringLiteral("ratio 2") : s.dark ? QStringLiteral("dark") : QStringLiteral("light")})
        by[r][key].add(sc);
      cells << QStringLiteral("%1/%2 %3").arg(sc.found).arg(sc.expected).arg(sc.junk.size());
      if (verbose && r < 2 && (!sc.missed.isEmpty() || !sc.junk.isEmpty()))
        misses << QStringLiteral("  %1: missed %2; junk %3").arg(QLatin1String(kRoads[r].name), sc.missed.join(QStringLiteral(" · ")),
                                                            sc.junk.join(QStringLiteral(" · ")));
    }
    std::printf("%-20s | %-10s | %-10s | %s\n", qPrintable(id), qPrintable(cells[0]), qPrintable(cells[1]), qPrintable(cells[2]));
    for (const QString& m : misses) std::printf("%s\n", qPrintable(m));
    std::fflush(stdout);
  }
  std::printf("\n%-9s | %-32s | %-32s | %s\n", "dialogs", "layout", "detector", "command line");
  for (const auto& [key, w] : by[1])
    std::printf("%-9s | %-32s | %-32s | %s\n", qPrintable(key), qPrintable(by[0][key].line()), qPrintable(w.line()),
                qPrintable(by[2][key].line()));
}

// `verbose`: every sample a road misread, with what each road read.
inline void pages(const QStringList& only, bool verbose) {
  const bool cli = measure::haveCommandLine();
  QTemporaryDir dir;
  std::map<QString, measure::Errors> by[3];
  int n = 0;
  for (const samples::Sample& s : samples::allSamples(only)) {
    const bool spaceless = s.language->spaceless;
    QStringList read;
    for (int r = 0; r < 3; ++r) {
      QString text;
      if (r < 2) {
        text = recognizeOn(kRoads[r], s.image, s.language->prefer).text();
      } else if (cli) {
        const QString png = dir.filePath(QStringLiteral("p%1.png").arg(n++));
        s.image.save(png);
        text = measure::commandLine(png, QLatin1String(s.language->cli));
      }
      const measure::Errors e = measure::errors(s.truth, text, spaceless);
      if (r < 2 && e.edits > 0) read << QStringLiteral("--- %1 %2%\n%3").arg(QLatin1String(kRoads[r].name)).arg(100 * e.rate(), 0, 'f', 2).arg(text);
      by[r][samples::group(s) + QLatin1Char(' ') + QLatin1String(samples::layoutName(s.layout))] += e;
      by[r][samples::group(s)] += e;
      by[r][QStringLiteral("all")] += e;
    }
    if (verbose && !read.isEmpty())
      std::printf("== %s %s %d%s %s\n--- truth\n%s\n%s\n", s.language->id, samples::layoutName(s.layout), s.px,
                  s.ratio == 2 ? "@2" : "", s.dark ? "dark" : "light", qPrintable(s.truth), qPrintable(read.join(QLatin1Char('\n'))));
  }
  std::printf("\n%-16s | %8s | %8s | %8s   (character error rate)\n", "pages", "layout", "detector", "cli");
  for (const auto& [key, e] : by[0])
    std::printf("%-16s | %7.2f%% | %7.2f%% | %7.2f%%\n", qPrintable(key), 100 * e.rate(), 100 * by[1][key].rate(),
                100 * by[2][key].rate());
}

// The pages of every language but English read by a user whose interface is
// English: the road has to find the page's language itself. Character error
// rate per language, and the samples read as another language (over 30 %).
inline void foreign(const QStringList& only) {
  const QStringList english{QStringLiteral("en-US")};
  std::map<QString, measure::Errors> by[2];
  std::map<QString, int> lost[2], count;
  for (const samples::Sample& s : samples::allSamples(only)) {
    const QString id = QLatin1String(s.language->id);
    if (id == QLatin1String("en")) continue;
    ++count[id];
    for (int r = 0; r < 2; ++r) {
      const measure::Errors e = measure::errors(s.truth, recognizeOn(kRoads[r], s.image, english).text(), s.language->spaceless);
      by[r][id] += e;
      lost[r][id] += e.rate() > 0.3 ? 1 : 0;
    }
  }
  std::printf("\n%-22s | %-16s | %s\n", "pages, English interface", "layout",
              "detector   (error rate, samples over 30 %)");
  for (const auto& [id, n] : count)
    std::printf("%-22s | %6.2f%% %3d/%-3d | %6.2f%% %3d/%d\n", qPrintable(id), 100 * by[0][id].rate(), lost[0][id], n,
                100 * by[1][id].rate(), lost[1][id], n);
}

// A full-HD screen: a desktop grey with dialogs of every kind on it, and a
// page of prose beside them.
inline QImage fullHdDesktop() {
  QImage screen(1920, 1080, QImage::Format_RGB32);
  screen.fill(QColor(60, 63, 65));
  QPainter p(&screen);
  int x = 40;
  for (uiscreens::Kind kind : {uiscreens::Kind::Print, uiscreens::Kind::Settings, uiscreens::Kind::Files}) {
    const uiscreens::Screen s = uiscreens::render(uiscreens::language("en"), kind, 1, kind == uiscreens::Kind::Settings);
    p.drawImage(x, 60, s.image);
    x += s.image.width() + 40;
  }
  const samples::Sample page = speed::page(speed::language("en"), 1920 - x - 40, 1000, 15);
  p.drawImage(x, 40, page.image);
  p.end();
  return screen;
}

inline void warmFullHd() {
  const QStringList english{QStringLiteral("en-US")};
  const QImage desktop = fullHdDesktop();
  const samples::Sample page = speed::page(speed::language("en"), 1920, 1080, 15);
  std::printf("\nwarm full-HD capture, median of 5 (ms) | layout | detector\n");
  for (const auto& [name, image] : {std::pair<const char*, QImage>{"desktop of dialogs and prose", desktop},
                                    std::pair<const char*, QImage>{"page of prose, 15 px", page.image}}) {
    double ms[2];
    for (int r = 0; r < 2; ++r) {
      (void)recognizeOn(kRoads[r], image, english);  // engines started
      std::vector<double> runs;
      for (int i = 0; i < 5; ++i) {
        const double t0 = measure::nowMs();
        (void)recognizeOn(kRoads[r], image, english);
        runs.push_back(measure::nowMs() - t0);
      }
      ms[r] = measure::median(runs);
    }
    std::printf("%-38s | %6.0f | %6.0f\n", name, ms[0], ms[1]);
  }
  ocr::TextDetector& detector = ocr::TextDetector::shared();
  std::vector<double> runs;
  for (int i = 0; i < 5; ++i) {
    const double t0 = measure::nowMs();
    (void)detector.detect(desktop);
    runs.push_back(measure::nowMs() - t0);
  }
  std::printf("the detector alone on the desktop: %.0f ms\n", measure::median(runs));
  // The fast path as it is (the engine's own layout, lines only), for the
  // choice whether it should find its lines with the detector too.
  runs.clear();
  for (int i = 0; i < 5; ++i) {
    const double t0 = measure::nowMs();
    (void)std::async(std::launch::async, [&] { return LiveText::read(desktop, {QStringLiteral("en-US")}); }).get();
    runs.push_back(measure::nowMs() - t0);
  }
  std::printf("the fast path on the desktop: %.0f ms\n", measure::median(runs));
}

// Child process: the warm-up, then full-HD captures on one road; resident
// memory after the warm-up and the peak.
inline int childMemory(bool detector) {
  ocr::setDetectorRoad(detector);
  Recognizer::warmUp();
  const double warm = measure::residentMB();
  const QStringList english{QStringLiteral("en-US")};
  (void)Recognizer::recognize(fullHdDesktop(), english, true);
  (void)Recognizer::recognize(speed::page(speed::language("en"), 1920, 1080, 15).image, english, true);
  const double captured = measure::residentMB();
  // Freed buffers are kept a while for the next capture (HugePages.h): what
  // an idle program holds is measured once they are let go.
  ocr::setFreedKeptFor(std::chrono::milliseconds(100));
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  std::printf("%-8s | %6.0f | %6.0f | %6.0f | %6.0f\n", detector ? "detector" : "layout", warm, captured,
              measure::residentMB(), measure::peakMB());
  return 0;
}

inline void memory(const char* self) {
  std::printf(
      "\nmemory, fresh process per road (MB) | after warm-up | after two full-HD captures | once idle | peak\n");
  for (const char* road : {"layout", "detector"}) {
    QProcess p;
    p.start(QString::fromLocal8Bit(self), {QStringLiteral("--memory"), QLatin1String(road)});
    p.waitForFinished(300000);
    std::printf("%s\n", qPrintable(QString::fromUtf8(p.readAllStandardOutput()).trimmed()));
  }
}

// Cold `tarvok -read` on each road against the command line.
inline void coldReads(int runs) {
  const QString tarvok = speed::tarvokProgram();
  QTemporaryDir dir;
  using Item = speed::ColdItem;
  const std::vector<Item> items{
      {QStringLiteral("en-print"), uiscreens::render(uiscreens::language("en"), uiscreens::Kind::Print, 1, false).image,
       QStringLiteral("eng"), QStringLiteral("en_US")},
      {QStringLiteral("de-files@2"), uiscreens::render(uiscreens::language("de"), uiscreens::Kind::Files, 2, false).image,
       QStringLiteral("deu"), QStringLiteral("de_DE")},
      {QStringLiteral("ko-settings"), uiscreens::render(uiscreens::language("ko"), uiscreens::Kind::Settings, 1, false).image,
       QStringLiteral("kor"), QStringLiteral("ko_KR")},
      {QStringLiteral("en-page"), speed::page(speed::language("en"), 1600, 1000, 15).image, QStringLiteral("eng"),
       QStringLiteral("en_US")},
      {QStringLiteral("full-HD desktop"), fullHdDesktop(), QStringLiteral("eng"), QStringLiteral("en_US")}};
  std::printf("\ncold read, median of %d fresh processes (ms) | layout | detector | command line | detector / cli\n", runs);
  std::vector<double> ratios[2];
  for (const Item& item : items) {
    const QString png = dir.filePath(item.name + QStringLiteral(".png"));
    item.image.save(png);
    QProcessEnvironment env = speed::userEnv(item.ui, dir.path());
    std::vector<double> t[3];
    for (int i = 0; i < runs; ++i) {
      for (int r = 0; r < 2; ++r) {
        env.insert(QStringLiteral("TARVOK_TEXT_DETECTOR"), kRoads[r].detector ? QStringLiteral("1") : QStringLiteral("0"));
        t[r].push_back(speed::runOnce(tarvok, {QStringLiteral("-read"), png}, env));
      }
      t[2].push_back(speed::runOnce(QStringLiteral("tesseract"), {png, QStringLiteral("-"), QStringLiteral("-l"), item.cli}, env));
    }
    const double a = measure::median(t[0]), b = measure::median(t[1]), c = measure::median(t[2]);
    ratios[0].push_back(a / c), ratios[1].push_back(b / c);
    std::printf("%-16s %4dx%-4d | %6.0f | %6.0f | %6.0f | %5.2f\n", qPrintable(item.name), item.image.width(),
                item.image.height(), a, b, c, b / c);
    std::fflush(stdout);
  }
  std::printf("median ratio to the command line: layout %.2f, detector %.2f\n", measure::median(ratios[0]),
              measure::median(ratios[1]));
}

// `parts`: some of "dialogs", "pages", "foreign", "speed", "memory", "cold"; empty: all.
inline void run(const char* self, const QStringList& only, const QStringList& parts, int runs, bool verbose) {
  const bool detector = ocr::detectorRoad();
  auto wanted = [&](const char* part) { return parts.isEmpty() || parts.contains(QLatin1String(part)); };
  if (wanted("dialogs")) dialogs(only, verbose);
  if (wanted("pages")) pages(only, verbose);
  if (wanted("foreign")) foreign(only);
  if (wanted("speed")) warmFullHd();
  if (wanted("memory")) memory(self);
  if (wanted("cold")) coldReads(runs);
  ocr::setDetectorRoad(detector);
}

}  // namespace roads
