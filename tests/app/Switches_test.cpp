#include "app/Switches.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>

#include "app/ReadFile.h"
#include "app/ReportTest.h"
#include "tests/recognition/CodeImages.h"
#include "tests/support/TestEnv.h"

namespace {

struct Outcome {
  int code = -1;
  QStringList lines;
};

// Runs the built program as a console tool, with this test's folders and locale.
Outcome program(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(TARVOK_EXE), args);
  Outcome r;
  if (!p.waitForFinished(30000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
  if (!r.lines.isEmpty() && r.lines.back().isEmpty()) r.lines.removeLast();
  return r;
}

QString save(const QImage& image, const QString& name) {
  const QString path = testenv::scratch() + QLatin1Char('/') + name;
  image.save(path);
  return path;
}

QImage blank(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

void write(QImage& image, const QString& text, QPoint at, int px = 28) {
  QPainter p(&image);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(px);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(at, text);
}

}  // namespace

TEST(Switches, TheFirstOfBenchReportReadSnapshotWinsAndATrailingPathSwitchIsIgnored) {
  using switches::Mode;
  EXPECT_EQ(switches::parse({"-read"}).mode, Mode::none);
  EXPECT_EQ(switches::parse({"-read", "a.png", "-benchocr"}).mode, Mode::benchOCR);
  EXPECT_FALSE(switches::parse({"-benchocr"}).fast);
  EXPECT_TRUE(switches::parse({"-fast", "-benchocr"}).fast);
  EXPECT_EQ(switches::parse({"-read", "a.png", "-reporttest"}).mode, Mode::reportTest);
  const auto read = switches::parse({"-snapshot", "dir", "-read", "a.png", "-read", "b.png"});
  EXPECT_EQ(read.mode, Mode::read);
  EXPECT_EQ(read.path, "a.png");
  const auto snap = switches::parse({"-snapshot", "out", "-read"});
  EXPECT_EQ(snap.mode, Mode::snapshot);
  EXPECT_EQ(snap.path, "out");
  EXPECT_EQ(switches::parse({"-READ", "a.png"}).mode, Mode::none);  // whole arguments, exactly
  EXPECT_EQ(switches::parse({"-benchocr", "-h"}).mode, Mode::help);
}

TEST(Switches, ReportTestConfirmsOnlyWhatAClientReallyTookAndSaysWhyNothingWasSent) {
  reporttest::Facts f;
  f.reportsOn = true;
  EXPECT_EQ(reporttest::presenceLine(f), QStringLiteral("키: sentry 없음 · telemetry 없음 · 설정 켬"));
  EXPECT_EQ(reporttest::outcomeLine(f), QStringLiteral("보내지 않음: report.test. Info.json에 키가 없음"));

  f.telemetryKey = true;
  f.started = true;
  EXPECT_EQ(reporttest::presenceLine(f), QStringLiteral("키: sentry 없음 · telemetry 있음 · 설정 켬"));
  // A key alone sends nothing when this build has no client for it.
  EXPECT_TRUE(reporttest::handedOver(f).isEmpty());
  EXPECT_EQ(reporttest::outcomeLine(f), QStringLiteral("보내지 않음: report.test. 이 빌드에는 보내는 모듈이 없음"));
  f.analyticsClient = true;
  EXPECT_EQ(reporttest::outcomeLine(f), QStringLiteral("보냄: report.test (신호). 대시보드에서 확인"));
  f.sentryKey = f.crashClient = true;
  EXPECT_EQ(reporttest::outcomeLine(f), QStringLiteral("보냄: report.test (신호·경고). 대시보드에서 확인"));

  f.reportsOn = false;
  f.started = false;
  EXPECT_EQ(reporttest::presenceLine(f), QStringLiteral("키: sentry 있음 · telemetry 있음 · 설정 끔"));
  EXPECT_EQ(reporttest::outcomeLine(f), QStringLiteral("보내지 않음: report.test. 보고 설정이 꺼져 있음"));
}

TEST(Switches, ReadTriesTheOtherTextPathOnlyInFastModeAndAlwaysLooksForCodesThoroughly) {
  std::vector<std::string> calls;
  road::Engines e;
  e.fast = [&](const QImage&) {
    calls.push_back("fast");
    return std::optional<Recognized>();
  };
  e.accurate = [&](const QImage&, const QStringList& prefer, bool fallback) {
    calls.push_back("accurate");
    EXPECT_FALSE(prefer.isEmpty());
    EXPECT_TRUE(fallback);
    return Recognized{};
  };
  e.codes = [&](const QImage&, bool thorough, double) {
    calls.push_back(thorough ? "thorough" : "quick");
    return std::vector<Code>{};
  };
  e.merge = [](const Recognized& r, const std::vector<Code>&) { return r; };
  const QImage image(8, 8, QImage::Format_RGB32);
  readfile::recognize(image, true, e);
  EXPECT_EQ(calls, (std::vector<std::string>{"fast", "accurate", "thorough"}));
  calls.clear();
  readfile::recognize(image, false, e);  // an empty accurate text stays: no second try
  EXPECT_EQ(calls, (std::vector<std::string>{"accurate", "thorough"}));
}

TEST(SwitchesProgram, ReadListsTwoQRCodesAndPrintsTheirPayloadsAsTheText) {
  QImage image = blank(420, 700);
  codeimages::draw(image, codeimages::encode(codeimages::BarcodeFormat::QRCode, "tarvok first"), 100, 60, 6);
  codeimages::draw(image, codeimages::encode(codeimages::BarcodeFormat::QRCode, "https://example.org/second"), 100,
                   380, 6);
  const Outcome r = program({"-read", save(image, "two-qr.png")});
  ASSERT_EQ(r.code, 0) << r.lines.join('\n').toStdString();
  ASSERT_GE(r.lines.size(), 6);
  EXPECT_TRUE(r.lines[0].startsWith(QStringLiteral("420×700 · 정확하게 · "))) << r.lines[0].toStdString();
  EXPECT_TRUE(r.lines[0].endsWith(QLatin1Char('s')));
  EXPECT_EQ(r.lines[1], QStringLiteral("코드 2개: QR tarvok first | QR https://example.org/second"));
  EXPECT_TRUE(r.lines[2].startsWith(QStringLiteral("덧말: QR · "))) << r.lines[2].toStdString();
  // The code rows lead the text, in the codes' order.
  EXPECT_EQ(r.lines.mid(3, 3), (QStringList{"글:", "tarvok first", "https://example.org/second"}));
}

TEST(SwitchesProgram, ReadPutsACodeBeforeItsCaptionAndOffersItsLink) {
  QImage image = blank(640, 320);
  write(image, QStringLiteral("Scan to pay"), {340, 160});
  codeimages::draw(image, codeimages::encode(codeimages::BarcodeFormat::QRCode, "https://pay.example/42"), 70, 70, 5);
  const Outcome r = program({"-read", save(image, "caption-qr.png")});
  ASSERT_EQ(r.code, 0);
  ASSERT_GE(r.lines.size(), 6) << r.lines.join('\n').toStdString();
  EXPECT_EQ(r.lines[1], QStringLiteral("코드 1개: QR https://pay.example/42"));
  EXPECT_EQ(r.lines.mid(3, 2), (QStringList{"글:", "https://pay.example/42"}));
  EXPECT_TRUE(r.lines.mid(5).join(QLatin1Char(' ')).endsWith(QStringLiteral("Scan to pay")));

  QImage only = blank(300, 300);
  codeimages::draw(only, codeimages::encode(codeimages::BarcodeFormat::QRCode, "https://pay.example/42"), 70, 70, 5);
  const Outcome link = program({"-read", save(only, "link-qr.png")});
  ASSERT_EQ(link.code, 0);
  ASSERT_GE(link.lines.size(), 3);
  EXPECT_TRUE(link.lines[2].endsWith(QStringLiteral(" · 열기: https://pay.example/42"))) << link.lines[2].toStdString();
}

TEST(SwitchesProgram, ReadGivesATableRowByRow) {
  QImage image = blank(700, 220);
  const QStringList rows[] = {{"Fruit", "Count", "Price"}, {"Apple", "12", "3.50"}, {"Melon", "4", "7.25"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) write(image, rows[r][c], {30 + 230 * c, 60 + 60 * r}, 26);
  const Outcome r = program({"-read", save(image, "table.png")});
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.lines.value(1), QStringLiteral("코드 0개: "));
  EXPECT_EQ(r.lines.mid(3), (QStringList{"글:", "Fruit Count Price", "Apple 12 3.50", "Melon 4 7.25"}));
}

TEST(SwitchesProgram, AnUnreadableFileEndsWithItsPathAndExitCodeOne) {
  const QString folder = testenv::scratch() + QStringLiteral("/not-an-image.png");
  QDir().mkpath(folder);  // CI runs as root: a folder is what cannot be read as a file
  Outcome r = program({"-read", folder});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.lines, QStringList{QStringLiteral("못 열음: ") + folder});

  r = program({"-read", testenv::scratch() + QStringLiteral("/missing.png")});
  EXPECT_EQ(r.code, 1);
}

TEST(SwitchesProgram, ReportTestWithoutKeysSaysPlainlyThatNothingWasSent) {
  const Outcome r = program({"-reporttest"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.lines, (QStringList{"키: sentry 없음 · telemetry 없음 · 설정 켬",
                                  "보내지 않음: report.test. Info.json에 키가 없음"}));
}
