// Barcode and QR detection: the detection rate of each corpus class for the
// quick and the thorough pass, with the zbarimg command line (zbar-tools,
// installed by hand) as a yardstick on the same images; the time of the
// quick pass, of a thorough pass that finds nothing, and of each variant; and
// whether the code library's multi-symbol read still aborts on a screen of
// linear codes (the reason linear codes are read one at a time).
// Run: QT_QPA_PLATFORM=offscreen OMP_THREAD_LIMIT=1 build/bench/code_bench [--no-zbar]
#include <ZXing/ReadBarcode.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "recognition/codes/CodeDetect.h"
#include "recognition/codes/CodeSearch.h"
#include "recognition/codes/CodeSource.h"
#include "recognition/codes/CodeVariants.h"
#include "recognition/Recognizer.h"
#include "tests/recognition/CodeImages.h"

namespace {

using namespace codeimages;

struct Sample {
  QImage image;
  QStringList payloads;
};

struct CorpusClass {
  const char* name;
  std::vector<Sample> samples;
};

const char* kLinearPayloads[][2] = {{"EAN-8", "96385074"},     {"EAN-13", "4006381333931"}, {"UPC-A", "036000291452"},
                                    {"UPC-E", "04252614"},     {"Code39", "TARVOK-39"},     {"Code93", "TARVOK-93"},
                                    {"Code128", "Tarvok-128"}, {"ITF", "12345678901234"},   {"Codabar", "A40156B"}};

QString readBack(const char* format, const char* payload) {
  // The reader drops Codabar's start and stop letters.
  return QString::fromLatin1(format) == "Codabar" ? QString::fromLatin1(payload).mid(1).chopped(1)
                                                  : QString::fromLatin1(payload);
}

std::vector<CorpusClass> corpus() {
  std::vector<CorpusClass> classes;
  const auto qr = [](int i) { return QStringLiteral("https://tarvok.example/item/%1").arg(i * 7919); };

  CorpusClass c{"QR on a screen", {}};
  for (int i = 0; i < 10; ++i) {
    QImage p = page(1000, 700, QColor(250, 250, 250), QColor(40, 40, 40), i);
    draw(p, encode(BarcodeFormat::QRCode, qr(i).toStdString()), 80 + 70 * i, 90 + 40 * i, 2 + i % 4);
    c.samples.push_back({p, {qr(i)}});
  }
  classes.push_back(c);

  c = {"linear codes (9 kinds)", {}};
  for (const auto& [format, payload] : kLinearPayloads) {
    for (int module : {2, 3}) {
      QImage p = page(1000, 700, QColor(250, 250, 250), QColor(40, 40, 40), module);
      draw(p, encode(ZXing::BarcodeFormatFromString(format), payload), 150 + 50 * module, 200, module, 90);
      c.samples.push_back({p, {readBack(format, payload)}});
    }
  }
  classes.push_back(c);

  c = {"DataMatrix, Aztec, PDF417", {}};
  for (const auto format : {BarcodeFormat::DataMatrix, BarcodeFormat::Aztec, BarcodeFormat::PDF417}) {
    for (int i = 0; i < 3; ++i) {
      const QString text = QStringLiteral("Tarvok %1 #%2").arg(ZXing::ToString(format)).arg(i);
      QImage p = page(1000, 700, QColor(250, 250, 250), QColor(40, 40, 40), i + 3);
      draw(p, encode(format, text.toStdString()), 120 + 250 * i, 150 + 120 * i, 3 + i);
      c.samples.push_back({p, {text}});
    }
  }
  classes.push_back(c);

  c = {"3 linear side by side + a twin", {}};
  for (int i = 0; i < 5; ++i) {
    QImage p = page(1600, 800, QColor(250, 250, 250), QColor(40, 40, 40), i);
    const QString a = QStringLiteral("SIDE-%1-A").arg(i), b = QStringLiteral("SIDE-%1-B").arg(i);
    draw(p, encode(BarcodeFormat::Code128, a.toStdString()), 40, 120 + 20 * i, 3, 120);
    draw(p, encode(BarcodeFormat::Code128, b.toStdString()), 570, 120 + 20 * i, 3, 120);
    draw(p, encode(BarcodeFormat::EAN13, "4006381333931"), 1100, 120 + 20 * i, 3, 120);
    draw(p, encode(BarcodeFormat::Code128, a.toStdString()), 40, 480, 3, 120);
    c.samples.push_back({p, {a, b, QStringLiteral("4006381333931")}});
  }
  classes.push_back(c);

  c = {"turned 5-40 degrees", {}};
  for (int i = 0; i < 8; ++i) {
    QImage p = page(1200, 900, QColor(250, 250, 250), QColor(40, 40, 40), i);
    const double angle = 5 + 5 * i;
    if (i % 2 == 0) {
      drawRotated(p, encode(BarcodeFormat::QRCode, qr(i).toStdString()), 600, 450, 4, angle);
      c.samples.push_back({p, {qr(i)}});
    } else {
      drawRotated(p, encode(BarcodeFormat::Code128, "TURNED-128"), 600, 450, 3, angle, 150);
      c.samples.push_back({p, {QStringLiteral("TURNED-128")}});
    }
  }
  classes.push_back(c);

  c = {"photographed", {}};
  for (int i = 0; i < 8; ++i) {
    QImage p = page(1200, 900, QColor(245, 245, 240), QColor(40, 40, 40), i);
    QString text;
    if (i % 3 == 0) {
      text = qr(i);
      drawRotated(p, encode(BarcodeFormat::QRCode, text.toStdString()), 600, 450, 5, 3 * i);
    } else if (i % 3 == 1) {
      text = QStringLiteral("PHOTO-%1").arg(i);
      drawRotated(p, encode(BarcodeFormat::Code128, text.toStdString()), 600, 450, 3, i, 160);
    } else {
      text = QStringLiteral("4006381333931");
      drawRotated(p, encode(BarcodeFormat::EAN13, text.toStdString()), 600, 450, 3, -i, 160);
    }
    c.samples.push_back({photographed(p, 0.9 + 0.1 * i, 6 + i, i), {text}});
  }
  classes.push_back(c);

  c = {"light on dark", {}};
  for (int i = 0; i < 9; ++i) {
    QImage p = page(1000, 700, QColor(30, 30, 30), QColor(220, 220, 220), i);
    const QColor ink(240, 240, 240), ground(30, 30, 30);
    QString text;
    if (i % 3 == 0) {
      text = qr(i);
      draw(p, encode(BarcodeFormat::QRCode, text.toStdString()), 300, 200, 3 + i % 2, 0, ink, ground);
    } else if (i % 3 == 1) {
      text = QStringLiteral("DARK-%1").arg(i);
      draw(p, encode(BarcodeFormat::Code128, text.toStdString()), 250, 250, 3, 90, ink, ground);
    } else {
      text = QStringLiteral("Dark matrix %1").arg(i);
      draw(p, encode(BarcodeFormat::DataMatrix, text.toStdString()), 350, 250, 4, 0, ink, ground);
    }
    c.samples.push_back({p, {text}});
  }
  classes.push_back(c);

  for (const int fg : {140, 150}) {
    c = {fg == 140 ? "low contrast 140 on 180" : "low contrast 150 on 180", {}};
    for (int i = 0; i < 9; ++i) {
      const QColor ink(fg, fg, fg), ground(180, 180, 180);
      QImage p = page(1000, 700, ground, QColor(90, 90, 90), i);
      QString text;
      if (i % 3 == 0) {
        text = qr(i);
        draw(p, encode(BarcodeFormat::QRCode, text.toStdString()), 300, 200, 3 + i % 2, 0, ink, ground);
      } else if (i % 3 == 1) {
        text = QStringLiteral("FAINT-%1").arg(i);
        draw(p, encode(BarcodeFormat::Code128, text.toStdString()), 250, 250, 3, 90, ink, ground);
      } else {
        text = QStringLiteral("Faint matrix %1").arg(i);
        draw(p, encode(BarcodeFormat::DataMatrix, text.toStdString()), 350, 250, 4, 0, ink, ground);
      }
      c.samples.push_back({p, {text}});
    }
    classes.push_back(c);
  }

  c = {"tiny QR in 2400x1500", {}};
  for (int i = 0; i < 8; ++i) {
    QImage p = page(2400, 1500, QColor(250, 250, 250), QColor(40, 40, 40), i);
    drawScaled(p, encode(BarcodeFormat::QRCode, "https://example.com/t"), 300 + 250 * i, 300 + 120 * i, 27 + 2 * i);
    c.samples.push_back({p, {QStringLiteral("https://example.com/t")}});
  }
  classes.push_back(c);

  c = {"blurred EAN-13", {}};
  for (int i = 0; i < 8; ++i) {
    QImage p = page(800, 600, QColor(250, 250, 250), QColor(40, 40, 40), i);
    drawScaled(p, encode(BarcodeFormat::EAN13, "4006381333931"), 250, 200, (2.0 + 0.25 * (i % 5)) * 95, 100);
    c.samples.push_back({blurred(p, 1.3 + 0.1 * i), {QStringLiteral("4006381333931")}});
  }
  classes.push_back(c);
  return classes;
}

int countFound(const std::vector<Code>& codes, const QStringList& payloads) {
  int n = 0;
  for (const QString& p : payloads)
    n += std::any_of(codes.begin(), codes.end(), [&](const Code& c) { return c.payload == p; });
  return n;
}

// zbar writes UPC-A as EAN-13 (a leading 0) and keeps Codabar's start and stop letters.
int countZbar(const QString& file, const QStringList& payloads) {
  QProcess zbar;
  zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--raw"), file});
  zbar.waitForFinished(30000);
  const QStringList lines = QString::fromUtf8(zbar.readAllStandardOutput()).split(QLatin1Char('\n'));
  int n = 0;
  for (const QString& p : payloads) {
    n += std::any_of(lines.begin(), lines.end(), [&](const QString& l) {
      const QString t = l.trimmed();
      return t == p || t == QLatin1Char('0') + p || (t.size() == p.size() + 2 && t.mid(1, p.size()) == p);
    });
  }
  return n;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double ms(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

void rates(bool withZbar) {
  QTemporaryDir dir;
  std::printf("%-32s %6s %9s %9s %9s\n", "class", "codes", "quick", "thorough", "zbarimg");
  int totals[4] = {0, 0, 0, 0};
  int fileNo = 0;
  for (const CorpusClass& c : corpus()) {
    int codes = 0, quick = 0, thorough = 0, zbar = 0;
    for (const Sample& s : c.samples) {
      codes += static_cast<int>(s.payloads.size());
      quick += countFound(Recognizer::codes(s.image, false, 0.8), s.payloads);
      thorough += countFound(Recognizer::codes(s.image, true, 0.8), s.payloads);
      if (withZbar) {
        const QString file = dir.filePath(QStringLiteral("%1.png").arg(fileNo++));
        s.image.save(file);
        zbar += countZbar(file, s.payloads);
      }
    }
    totals[0] += codes, totals[1] += quick, totals[2] += thorough, totals[3] += zbar;
    std::printf("%-32s %6d %4d %3.0f%% %4d %3.0f%% ", c.name, codes, quick, 100.0 * quick / codes, thorough,
                100.0 * thorough / codes);
    if (withZbar) std::printf("%4d %3.0f%%", zbar, 100.0 * zbar / codes);
    std::printf("\n");
  }
  std::printf("%-32s %6d %4d %3.0f%% %4d %3.0f%% ", "all", totals[0], totals[1], 100.0 * totals[1] / totals[0],
              totals[2], 100.0 * totals[2] / totals[0]);
  if (withZbar) std::printf("%4d %3.0f%%", totals[3], 100.0 * totals[3] / totals[0]);
  std::printf("\n\n");
}

void quickTimes() {
  std::printf("%-28s %12s\n", "quick pass", "median ms");
  for (const auto& [w, h] : {std::pair{800, 600}, {2880, 1800}}) {
    for (const bool withCode : {false, true}) {
      QImage p = page(w, h);
      if (withCode) draw(p, encode(BarcodeFormat::QRCode, "https://tarvok.example/q"), w / 3, h / 3, 4);
      std::vector<double> samples;
      for (int i = 0; i < 9; ++i) {
        QElapsedTimer t;
        t.start();
        Recognizer::codes(p, false, 0.8);
        samples.push_back(ms(t));
      }
      std::printf("%4dx%-4d %-18s %12.1f\n", w, h, withCode ? "with a QR code" : "no code", median(samples));
    }
  }
  std::printf("\n");
}

void thoroughTimes() {
  std::printf("%-22s %10s %10s %14s %10s\n", "thorough, no code", "wall ms", "variants", "past 0.8 s ms", "of");
  for (const auto& [w, h] : {std::pair{1200, 800}, {2880, 1800}}) {
    const QImage p = page(w, h);
    std::vector<double> walls;
    int tried = 0, total = 0;
    for (int i = 0; i < 3; ++i) {
      tried = 0;
      QElapsedTimer t;
      t.start();
      Recognizer::searchCodes(p, true, 0.8, {{}, [&](int) { ++tried; }});
      walls.push_back(ms(t));
    }
    total = static_cast<int>(Recognizer::variants(std::make_shared<Recognizer::CodeSource>(p)).size());
    // The wall time includes the quick detection that comes first.
    QElapsedTimer q;
    q.start();
    Recognizer::codes(p, false, 0.8);
    const double quick = ms(q);
    std::printf("%4dx%-17d %10.0f %10d %14.0f %10d\n", w, h, median(walls), tried, median(walls) - quick - 800, total);
  }
  std::printf("\n");
}

void variantTimes() {
  for (const auto& [w, h] : {std::pair{1200, 800}, {2880, 1800}}) {
    const QImage p = page(w, h);
    auto source = std::make_shared<Recognizer::CodeSource>(p);
    source->grey();
    QElapsedTimer t;
    t.start();
    const auto list = Recognizer::variants(source);
    std::printf("variants of %dx%d (k = %.1f): list built in %.2f ms\n", w, h, Recognizer::variantScale(std::min(w, h)),
                ms(t));
    std::printf("%4s %12s %10s %10s\n", "#", "size", "render ms", "detect ms");
    for (size_t i = 0; i < list.size(); ++i) {
      t.start();
      const cv::Mat m = list[i].make();
      const double render = ms(t);
      t.start();
      Recognizer::detect(m, list[i].back);
      std::printf("%4zu %6dx%-5d %10.1f %10.1f\n", i + 1, m.cols, m.rows, render, ms(t));
    }
    std::printf("\n");
  }
}

// A plain multi-symbol read of the library in a child process, on the screen
// of three linear codes side by side.
void libraryAbort() {
  QImage screen = page(1600, 800);
  draw(screen, encode(BarcodeFormat::Code128, "TARVOK-0001"), 40, 300, 3, 120);
  draw(screen, encode(BarcodeFormat::Code128, "TARVOK-0002"), 570, 300, 3, 120);
  draw(screen, encode(BarcodeFormat::Code128, "TARVOK-0003"), 1100, 300, 3, 120);
  const cv::Mat grey = toMat(screen);
  const ZXing::ImageView view(grey.data, grey.cols, grey.rows, ZXing::ImageFormat::Lum, static_cast<int>(grey.step[0]));
  struct Case {
    const char* name;
    ZXing::DecodeHints hints;
  };
  const Case cases[] = {{"ReadBarcodes, defaults", {}},
                        {"ReadBarcodes, no downscale", ZXing::DecodeHints().setTryDownscale(false)},
                        {"ReadBarcodes, no rotate", ZXing::DecodeHints().setTryRotate(false)}};
  std::printf("the library's own multi-symbol read of three Code 128 side by side:\n");
  for (const Case& c : cases) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
      std::fclose(stderr);  // the assertion message
      const auto results = ZXing::ReadBarcodes(view, c.hints);
      _exit(static_cast<int>(results.size()));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status))
      std::printf("  %-30s killed by signal %d\n", c.name, WTERMSIG(status));
    else
      std::printf("  %-30s %d codes\n", c.name, WEXITSTATUS(status));
  }
  const std::vector<Code> ours = Recognizer::codes(screen, false, 0.8);
  std::printf("  %-30s %zu codes\n\n", "Recognizer::codes", ours.size());
}

// Random screens with turned, photographed and filtered codes of every kind
// the writer makes, each searched with every variant in a child process: how
// many of them bring the process down.
void survival(int screens) {
  cv::RNG rng(2024);
  const BarcodeFormat formats[] = {BarcodeFormat::QRCode, BarcodeFormat::DataMatrix, BarcodeFormat::Aztec,
                                   BarcodeFormat::PDF417, BarcodeFormat::Code128,    BarcodeFormat::EAN13,
                                   BarcodeFormat::Code39, BarcodeFormat::ITF,        BarcodeFormat::Codabar};
  int aborted = 0;
  for (int n = 0; n < screens; ++n) {
    QImage p = page(900 + rng.uniform(0, 700), 600 + rng.uniform(0, 500), QColor(250, 250, 250), QColor(40, 40, 40), n);
    for (int j = 0, k = 2 + rng.uniform(0, 3); j < k; ++j) {
      const BarcodeFormat f = formats[rng.uniform(0, 9)];
      const std::string text = f == BarcodeFormat::EAN13     ? "4006381333931"
                               : f == BarcodeFormat::ITF     ? "12345678901234"
                               : f == BarcodeFormat::Codabar ? "A1234B"
                                                             : "T" + std::to_string(rng.uniform(0, 100000));
      drawRotated(p, encode(f, text), rng.uniform(150, p.width() - 150), rng.uniform(150, p.height() - 150),
                  rng.uniform(2, 5), rng.uniform(-45.0, 45.0), 100);
    }
    if (n % 2) p = photographed(p, rng.uniform(0.5, 2.0), rng.uniform(2.0, 14.0), n);
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
      Recognizer::codes(p, false, 0.8);
      auto source = std::make_shared<Recognizer::CodeSource>(p);
      for (const auto& v : Recognizer::variants(source)) Recognizer::detect(v.make(), v.back);
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    aborted += WIFSIGNALED(status);
  }
  std::printf("survival: %d random screens, quick pass and every variant: %d aborted\n\n", screens, aborted);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const bool zbar = !app.arguments().contains(QStringLiteral("--no-zbar")) &&
                    !QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty();
  if (!zbar) std::printf("(zbarimg not used)\n");
  libraryAbort();
  survival(40);
  rates(zbar);
  quickTimes();
  thoroughTimes();
  variantTimes();
  return 0;
}
