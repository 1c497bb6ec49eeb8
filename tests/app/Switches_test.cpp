#include "app/Switches.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>

#include "core/Console.h"
#include "app/ReadFile.h"
#include "app/ReportTest.h"
#include "tests/app/FileCases.h"
#include "tests/app/ProcWatch.h"
#include "tests/recognition/CodeImages.h"
#include "tests/recognition/TableImages.h"
#include "tests/support/TestEnv.h"

namespace {

struct Outcome {
  int code = -1;  // -1: killed by a signal, or still running after 60 s
  QStringList lines;
  QString err;
};

// Runs the built program as a console tool to its end, with this test's
// folders and locale and `env` changed (an empty value removes a variable);
// `meanwhile` gets its process id while it runs. `exe` may stand in for it
// (a shell that starts it).
Outcome program(const QStringList& args, const std::map<QString, QString>& env = {},
                const std::function<void(qint64)>& meanwhile = {}, const QString& exe = QStringLiteral(TARVOK_EXE)) {
  QProcess p;
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  for (const auto& [key, value] : env) value.isEmpty() ? e.remove(key) : e.insert(key, value);
  p.setProcessEnvironment(e);
  p.start(exe, args);
  if (meanwhile && p.waitForStarted()) meanwhile(p.processId());
  Outcome r;
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
  if (!r.lines.isEmpty() && r.lines.back().isEmpty()) r.lines.removeLast();
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

QString save(const QImage& image, const QString& name) {
  const QString path = testenv::scratch() + QLatin1Char('/') + name;
  image.save(path);
  return path;
}

using filecases::blank;

void write(QImage& image, const QString& text, QPoint at, int px = 28) {
  QPainter p(&image);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(px);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(at, text);
}

}  // namespace

TEST(Switches, TheFirstOfBenchReportReadSnapshotWinsAndAnythingUnknownMakesTheLineInvalid) {
  using switches::Mode;
  EXPECT_EQ(switches::parse({"-read", "a.png", "-benchocr"}).mode, Mode::benchOCR);
  EXPECT_FALSE(switches::parse({"-benchocr"}).fast);
  EXPECT_TRUE(switches::parse({"-fast", "-benchocr"}).fast);
  EXPECT_EQ(switches::parse({"-read", "a.png", "-reporttest"}).mode, Mode::reportTest);
  const auto read = switches::parse({"-snapshot", "dir", "-read", "a.png", "-read", "b.png"});
  EXPECT_EQ(read.mode, Mode::read);
  EXPECT_EQ(read.path, "a.png");
  EXPECT_EQ(switches::parse({"-platform", "offscreen", "--display", ":5", "-reverse", "-read", "a.png"}).path, "a.png");
  EXPECT_EQ(switches::parse({"-benchocr", "-h"}).mode, Mode::help);
  EXPECT_EQ(switches::parse({"-bogus", "--help"}).mode, Mode::help);

  const std::pair<QStringList, QString> invalid[] = {
      {{"-snapshot", "out", "-read"}, "-read needs an image file"},
      {{"-READ", "a.png"}, "unknown switch: -READ"},  // whole arguments, exactly
      {{"photo.png"}, "unexpected argument: photo.png"},
      {{"-platform"}, "-platform needs a value"},
  };
  for (const auto& [args, problem] : invalid) {
    EXPECT_EQ(switches::parse(args).mode, Mode::invalid);
    EXPECT_EQ(switches::parse(args).problem, problem);
  }
}

TEST(Switches, AFileNameKeepsTheBytesTheUserGaveAndPrintsWhatIsNotUTF8Escaped) {
  const char* argv[] = {"tarvok", "-platform", "offscreen", "-read", "scan\xFF\xFE.png", nullptr};
  const switches::Choice c = switches::parse(5, argv);
  EXPECT_EQ(c.mode, switches::Mode::read);
  EXPECT_EQ(c.nativePath, QByteArray("scan\xFF\xFE.png"));
  const char* snapshot[] = {"tarvok", "-snapshot", "out\xFF", "-all", nullptr};
  EXPECT_EQ(switches::parse(4, snapshot).nativePath, QByteArray("out\xFF"));

  const std::pair<QByteArray, const char*> names[] = {
      {"/home/ä/사진 1.png", "/home/ä/사진 1.png"},
      {"scan\xFF.png", "scan\\xFF.png"},
      {"\xC0\xAF" "etc", "\\xC0\\xAF" "etc"},             // an overlong slash
      {"a\xED\xA0\x80" "b", "a\\xED\\xA0\\x80" "b"},     // a lone surrogate
      {"cut\xE2\x82", "cut\\xE2\\x82"},                 // a sequence cut short at the end
      {"\xE9t\xE9 \xF0\x9F\x98\x80", "\\xE9t\\xE9 😀"},  // Latin-1 beside an emoji
  };
  for (const auto& [native, shown] : names) EXPECT_EQ(console::fileName(native), QString::fromUtf8(shown));
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

// The code search runs beside the text on another thread: its call is
// recorded apart, and only the text paths' order is compared.
TEST(Switches, ReadTriesTheOtherTextPathOnlyInFastModeAndAlwaysLooksForCodesThoroughly) {
  std::vector<std::string> calls;
  std::atomic<int> thorough{0}, quick{0};
  road::Engines e;
  e.fast = [&](const QImage&, const QStringList&) {
    calls.push_back("fast");
    return std::optional<Recognized>();
  };
  e.accurate = [&](const QImage&, const QStringList& prefer, bool fallback) {
    calls.push_back("accurate");
    EXPECT_FALSE(prefer.isEmpty());
    EXPECT_TRUE(fallback);
    return Recognized{};
  };
  e.codes = [&](const QImage&, bool isThorough, double) {
    ++(isThorough ? thorough : quick);
    return std::vector<Code>{};
  };
  e.merge = [](const Recognized& r, const std::vector<Code>&) { return r; };
  const QImage image(8, 8, QImage::Format_RGB32);
  readfile::recognize(image, true, e);
  EXPECT_EQ(calls, (std::vector<std::string>{"fast", "accurate"}));
  calls.clear();
  readfile::recognize(image, false, e);  // an empty accurate text stays: no second try
  EXPECT_EQ(calls, (std::vector<std::string>{"accurate"}));
  EXPECT_EQ(thorough, 2);
  EXPECT_EQ(quick, 0);
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

TEST(SwitchesProgram, ReadGivesTheRowsOfAnArabicTableRightToLeftWithTheirNumbersInPlace) {
  const auto drawn = tableimages::rightToLeft({{"الاسم", "العمر", "الحجم"},
                                               {"أحمد", "34", "12 KB"},
                                               {"سارة", "28", "1500 KB"},
                                               {"عمر", "45", "980 KB"}},
                                              QStringLiteral("Noto Sans Arabic"), {560, 380, 200});
  const Outcome r = program({"-read", save(drawn.image, "arabic-table.png")});
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.lines.mid(3), (QStringList{"글:", "الاسم العمر الحجم", "أحمد 34 12 KB", "سارة 28 1500 KB",
                                         "عمر 45 980 KB"}));
}

TEST(SwitchesProgram, ReadSaysWhyAFileGivesNoImageNeverBlocksAndPrintsWhatAnImageCarriesEscaped) {
  using namespace filecases;
  const QString dir = testenv::scratch() + QStringLiteral("/unlucky/");
  QDir().mkpath(dir + "folder.png");  // CI runs as root: a folder is what cannot be read
  ASSERT_EQ(mkfifo(QFile::encodeName(dir + "pipe.png").constData(), 0600), 0);  // no writer ever comes
  const auto file = [&](const QString& name, const QByteArray& bytes) {
    return save(dir + name, bytes) ? dir + name : QString();
  };
  QImage qr = blank(400, 400);
  codeimages::draw(
      qr, codeimages::encode(codeimages::BarcodeFormat::QRCode, std::string("\x1b]0;owned\x07 a\0b\nc\x1b[2J", 20)), 80,
      80, 6);
  const QString hostile = file("hostile.png", encoded(qr, "png"));
  // What follows "tarvok: PATH: " on standard error (exit 1), or how the first line starts (exit 0).
  std::vector<std::tuple<QString, int, QString>> rows = {
      {dir + "missing.png", 1, "not found"},
      {dir + "folder.png", 1, "not a regular file (a folder)"},
      {dir + "pipe.png", 1, "not a regular file (a named pipe)"},
      {"/dev/zero", 1, "not a regular file (a device)"},
      {file("notes.png", "just some notes\n"), 1, "unsupported format"},
      {file("empty.png", ""), 1, "unsupported format (the file is empty)"},
      {file("over-old-limit.png", encoded(blank(7680, 4370), "png")), 0, "7680×4370 · "},
      {file("huge.png", encoded(blank(9000, 9000, QImage::Format_Mono), "png")), 1,
       "too large (9000×9000 pixels; at most 67 million)"},
      {file("header.pgm", "P5\n30000 30000\n255\n"), 1, "too large (30000×30000 pixels; at most 67 million)"},
      {hostile, 0, "400×400 · "},
      // Strips far longer than wide: the code passes shrink them to nothing on one side.
      {file("strip-1x5000.png", encoded(blank(1, 5000), "png")), 0, "1×5000 · "},
      {file("strip-3x10000.png", encoded(noise(3, 10000), "png")), 0, "3×10000 · "},
      {file("strip-20000x6.png", encoded(noise(20000, 6), "png")), 0, "20000×6 · "},
      {file("noise.png", encoded(noise(320, 240), "png")), 0, "320×240 · "},
  };
  // Too large by what their headers declare, although the decoders give no size.
  rows.push_back({file("huge-header.bmp", bmpHeader(60000, 60000)), 1, "too large (60000×60000 pixels; at most 67 million)"});
  rows.push_back({file("huge-header.gif", gifHeader(60000, 60000)), 1, "too large (60000×60000 pixels; at most 67 million)"});
  // No signature: known by its name (its header reads as an icon's).
  rows.push_back({file("valid.tga", tga(64, 16)), 0, "64×16 · "});
  rows.push_back({file("stripes.gif", stripesGif(320, 120)), 0, "320×120 · "});
  // What decoding may cost is bounded: scans (each a pass over the picture)
  // are counted first, and a PNG's text, which the decoder would inflate, is left out.
  rows.push_back({file("scans.jpeg", jpegWithScans(2000)), 1, "too many scans (2000; at most 100)"});
  rows.push_back({file("scans20.jpeg", jpegWithScans(20)), 0, "64×64 · "});
  rows.push_back({file("text-bomb.png", pngWithTextBomb(30, 7 << 20)), 0, "64×64 · "});
  // Cut short but decoded: the part that arrived is read, and said to be cut.
  QStringList cutShort{file("cut-stripes.gif", cut(stripesGif(320, 120)))};
  rows.push_back({cutShort.back(), 0, "320×120 · "});
  for (const QString name : {"png", "jpeg", "webp", "tiff", "bmp", "gif"}) {
    const QByteArray format = name.toLatin1();
    const QString corrupt = "corrupt or truncated " + name.toUpper() + " data";
    // Qt reads these two through its image-format plugins, which the set-up installs.
    if (name == "webp" || name == "tiff") rows.push_back({file("valid." + name, valid(format)), 0, "320×120 · "});
    rows.push_back({file("damaged." + name, damaged(valid(format), name == "gif" ? 6 : 16)), 1, corrupt});
    const bool partial = name == "jpeg" || name == "bmp";
    rows.push_back({file("cut." + name, cut(valid(format))), partial ? 0 : 1, partial ? "320×120 · " : corrupt});
    if (partial) cutShort << std::get<0>(rows.back());
  }
  for (const auto& [path, code, said] : rows) {
    SCOPED_TRACE(path.toStdString());
    const Outcome r = program({"-read", path});
    ASSERT_EQ(r.code, code) << r.err.toStdString();  // finished, with no signal death
    if (code == 1) {
      EXPECT_EQ(r.lines, QStringList{"못 열음: " + path});
      EXPECT_TRUE(r.err.contains("tarvok: " + path + ": " + said + "\n")) << r.err.toStdString();
      continue;
    }
    // The header keeps its four lines whatever the image carries; nothing it
    // carries reaches the terminal raw, and a line break splits only the text.
    ASSERT_GE(r.lines.size(), 4);
    EXPECT_TRUE(r.lines[0].startsWith(said)) << r.lines[0].toStdString();
    EXPECT_EQ(r.err.contains("tarvok: " + path + ": the picture was cut short; the part there is was read\n"),
              cutShort.contains(path))
        << r.err.toStdString();
    EXPECT_EQ(r.lines[3], "글:");
    if (path != hostile) continue;
    EXPECT_EQ(r.lines.value(1), QStringLiteral("코드 1개: QR \\x1B]0;owned\\x07 a\\x00b\\nc\\x1B[2J"));
    EXPECT_EQ(r.lines.mid(4), (QStringList{"\\x1B]0;owned\\x07 a\\x00b", "c\\x1B[2J"}));
  }
}

TEST(SwitchesProgram, ReadOpensAFileWhoseNameIsNotUTF8AndNamesItEscaped) {
  // QProcess hands arguments over as UTF-8: the shell makes the byte 0xFF.
  const QString dir = testenv::scratch() + QStringLiteral("/bytes");
  QDir().mkpath(dir);
  const QByteArray named = QFile::encodeName(dir) + "/scan\xFF.png";
  const QByteArray png = filecases::valid("png");
  const int fd = ::open(named.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, png.constData(), size_t(png.size())), png.size());
  ::close(fd);
  const auto read = [&](const char* name) {
    return program({"-c", QStringLiteral("exec \"$0\" -read \"$1/%1\"").arg(QLatin1String(name)), TARVOK_EXE, dir},
                   {}, {}, QStringLiteral("/bin/sh"));
  };
  const Outcome found = read("scan$(printf '\\377').png");
  ASSERT_EQ(found.code, 0) << found.err.toStdString();
  EXPECT_TRUE(found.lines.value(0).startsWith("320×120 · ")) << found.lines.value(0).toStdString();
  const Outcome missing = read("gone$(printf '\\377\\033').png");
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.lines, QStringList{"못 열음: " + dir + "/gone\\xFF\\x1B.png"});
  EXPECT_TRUE(missing.err.contains("tarvok: " + dir + "/gone\\xFF\\x1B.png: not found\n")) << missing.err.toStdString();
}

TEST(SwitchesProgram, AWrongLineShowsTheUsageAndATrayStartWithoutADisplaySaysSo) {
  const std::map<QString, QString> none = {{"DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};
  const std::map<QString, QString> dead = {{"DISPLAY", ":4093"}, {"QT_QPA_PLATFORM", ""}};
  const std::tuple<QStringList, std::map<QString, QString>, int, QString> rows[] = {
      {{"-bogus"}, {}, 2, "tarvok: unknown switch: -bogus"},
      {{"-read"}, {}, 2, "tarvok: -read needs an image file"},
      {{}, none, 1, "tarvok: needs a graphical session, but DISPLAY is not set"},
      {{}, dead, 1, "tarvok: needs a graphical session, but the X display :4093 does not answer"},
      {{"-read", "/none.png"}, dead, 1, "tarvok: /none.png: not found"},  // a switch goes offscreen
  };
  for (const auto& [args, env, code, said] : rows) {
    const Outcome r = program(args, env);
    EXPECT_EQ(r.code, code) << said.toStdString();
    EXPECT_TRUE(r.err.contains(said + "\n")) << r.err.toStdString();
    // The usage follows a wrong line, on standard error.
    EXPECT_EQ(r.err.contains(said + "\nUsage: tarvok"), code == 2);
    EXPECT_EQ(r.lines.isEmpty(), args.isEmpty() || code == 2);
  }
}

TEST(SwitchesProgram, ASignalEndsAConsoleSwitchMidRecognitionWith128PlusItsNumber) {
  const QString dense = testenv::scratch() + QStringLiteral("/dense.png");
  ASSERT_TRUE(codeimages::page(4000, 4000).save(dense));
  // "-benchocr" may have printed its one line before the signal came.
  const std::tuple<QStringList, int, int> rows[] = {{{"-read", dense}, SIGTERM, 0},
                                                    {{"-read", dense}, SIGINT, 0},
                                                    {{"-read", dense}, SIGHUP, 0},
                                                    {{"-benchocr"}, SIGTERM, 1}};
  for (const auto& [args, number, maxLines] : rows) {
    const Outcome r = program(args, {}, [number = number](qint64 pid) {
      // Sent once the handlers are in place: decoding and recognition take seconds from there.
      testenv::waitUntil([&] { return procwatch::catches(pid, number); }, 30000);
      ::kill(pid_t(pid), number);
    });
    EXPECT_EQ(r.code, 128 + number) << args.join(' ').toStdString();
    EXPECT_LE(r.lines.size(), maxLines) << r.lines.join('\n').toStdString();
    // The offscreen platform's notices about window masks are dropped.
    EXPECT_FALSE(r.err.contains("This plugin does not support")) << r.err.toStdString();
  }
}

TEST(SwitchesProgram, ReportTestWithoutKeysSaysPlainlyThatNothingWasSent) {
  const Outcome r = program({"-reporttest"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.lines, (QStringList{"키: sentry 없음 · telemetry 없음 · 설정 켬",
                                  "보내지 않음: report.test. Info.json에 키가 없음"}));
}
