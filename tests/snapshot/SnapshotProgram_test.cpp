// The built program run as "tarvok -snapshot FOLDER" by a user with
// preferences of their own and a Korean system language, checked from
// outside: files, sizes, appearance, the states drawn (each file against the
// same view drawn here), the print, and the preference file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <csignal>
#include <cmath>
#include <functional>
#include <map>
#include <tuple>

#include "core/Fonts.h"
#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Appearance.h"
#include "snapshot/Samples.h"
#include "snapshot/Sequence.h"
#include "snapshot/Views.h"
#include "tests/support/TestEnv.h"
#include "tests/support/ViewProbe.h"
#include "toast/ToastLayout.h"
#include "ui/menu/LanguageSummary.h"
#include "ui/menu/MainWidth.h"

namespace {

// German, fast mode, OCR languages by hand off: the run changes each of them.
// Spelt as the store writes it (a file spelt otherwise is not read).
const QByteArray kPrefs =
    "[General]\nfastMode=bool:true\nlanguage=str:de\nocrLanguages=list:[\\\"fr-FR\\\"]\n"
    "ocrManual=bool:false\nrecentLanguages=\"list:[\\\"de\\\",\\\"ja\\\"]\"\n";
const Lang kUserLanguage("de");

QByteArray bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One run of the program in a home of its own (XDG and temporary folders)
// holding the user's preference file.
struct ProgramRun {
  QString home;
  QProcess process;

  explicit ProgramRun(const QString& name) : home(testenv::scratch() + "/" + name) {
    QDir().mkpath(home + "/config/tarvok");
    QDir().mkpath(home + "/tmp");
    QFile f(prefs());
    if (f.open(QIODevice::WriteOnly)) f.write(kPrefs);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString dir : {"config", "state", "cache"}) env.insert("XDG_" + dir.toUpper() + "_HOME", home + "/" + dir);
    env.insert("TMPDIR", home + "/tmp");
    env.insert("LANGUAGE", "ko:en");
    process.setProcessEnvironment(env);
  }
  QString prefs() const { return home + "/config/tarvok/tarvok.conf"; }
  QString folder() const { return home + "/shots/nested"; }
  void start(const QStringList& args) { process.start(TARVOK_EXE, args); }
  // The exit code, or -1 when the process was killed or crashed.
  int finish() {
    if (!process.waitForFinished(120000)) process.kill();
    process.waitForFinished();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }
  QStringList files() const { return QDir(folder()).entryList(QDir::Files, QDir::Name); }
};

QByteArray sampleTsv() { return Table{Snapshot::tableRows()}.tsv().toUtf8() + '\n'; }

// Device widths at ratio 2 from the layout rules: the main page measured in
// its language, the toast from its button labels, fixed widths elsewhere.
int menuWidth(const Lang& lang) {
  const Strings t = L::table(lang);
  return 2 * (int(std::ceil(menu::mainWidth(t, Shortcut::defaultShortcut().caps(), menu::languageSummary(lang, t)))) + 36);
}
int toastWidth(const Recognized& result, ToastModel::Kind kind, const Lang& lang) {
  ToastModel model;
  model.setResult(result);
  model.setAsTable(result.table.has_value());
  model.setKind(kind);
  return 2 * (ToastLayout::toastWidth(model, L::table(lang), true) + 36);
}

std::map<QString, int> expectedWidths() {
  using Kind = ToastModel::Kind;
  Recognized table{{}, Table{Snapshot::tableRows()}, {}};
  const Recognized text = Snapshot::textSample();
  std::map<QString, int> w;
  for (const QString n : {"light", "dark"}) {
    w["menu-" + n + ".png"] = menuWidth(kUserLanguage);
    w["toast-table-" + n + ".png"] = w["toast-table-hover-" + n + ".png"] = toastWidth(table, Kind::picked, kUserLanguage);
    w["toast-text-" + n + ".png"] = toastWidth(text, Kind::picked, kUserLanguage);
    w["toast-qr-" + n + ".png"] = toastWidth(Snapshot::qrSample(), Kind::picked, kUserLanguage);
    w["toast-working-" + n + ".png"] = w["toast-busy-" + n + ".png"] = toastWidth(text, Kind::working, kUserLanguage);
    w["toast-empty-" + n + ".png"] = toastWidth(text, Kind::empty, kUserLanguage);
  }
  for (const QString& code : Snapshot::languages(false)) {
    w["menu-" + code + ".png"] = menuWidth(Lang(code));
    w["toast-" + code + ".png"] = toastWidth(text, Kind::picked, Lang(code));
    w["busy-" + code + ".png"] = toastWidth(text, Kind::working, Lang(code));
  }
  Lang::setPreferredLanguagesSource([] { return QStringList{"ko", "en"}; });  // what "auto" meets in the run
  w["menu-fast.png"] = menuWidth(Lang("auto"));
  Lang::setPreferredLanguagesSource({});
  w["lang-list.png"] = w["lang-auto.png"] = w["lang-manual.png"] = 2 * (232 + 36);
  w["onboard-first.png"] = w["onboard-conflict.png"] = w["onboard-done.png"] = 800;
  w["about.png"] = w["about-en.png"] = 640;
  w["hint-accurate.png"] = w["hint-fast.png"] = 1000;
  return w;
}

// The colour a few points inside the top-left corner of the panel's plate.
QColor plateProbe(const QString& name, const QImage& image) {
  if (name.startsWith("hint-")) {  // the bar sits centred at the bottom: from its leading edge
    const int y = image.height() - 48;
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) == 255) return image.pixel(x + 4, y);
    return {};
  }
  const bool window = name.startsWith("onboard-") || name.startsWith("about");
  return image.pixel(window ? QPoint(12, 12) : QPoint(52, 48));
}

// How many seal-red pixels lie in the left and in the right half.
std::pair<int, int> sealHalves(const QImage& image) {
  int left = 0, right = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (probe::near(QColor(image.pixel(x, y)), Ink::seal(), 12)) ++(x < image.width() / 2 ? left : right);
  return {left, right};
}

// Draws a view the way the run draws it, in the run's language and
// appearance, and answers whether the run's file holds exactly that picture.
bool sameAsDrawnHere(const QString& file, const Lang& language, bool dark,
                     const std::function<bool(const QString&)>& draw) {
  Settings& s = Settings::shared();
  const Lang before = s.language();
  Lang::setPreferredLanguagesSource([] { return QStringList{"ko", "en"}; });  // what "auto" meets in the run
  s.setLanguage(language);
  Appearance::setForced(dark);
  const QString here = testenv::scratch() + "/drawn-here.png";
  const bool drawn = draw(here);
  Appearance::setForced(std::nullopt);
  s.setLanguage(before);
  Lang::setPreferredLanguagesSource({});
  const QImage a = QImage(file).convertToFormat(QImage::Format_ARGB32);
  const QImage b = QImage(here).convertToFormat(QImage::Format_ARGB32);
  return drawn && !a.isNull() && a == b;
}

}  // namespace

TEST(SnapshotProgram, WritesEveryScreenAtItsSizeInItsAppearanceAndLeavesThePreferencesAsTheyWere) {
  Fonts::registerAll();
  ProgramRun run("default");
  run.start({"-snapshot", run.folder()});
  ASSERT_EQ(run.finish(), 0) << run.process.readAllStandardError().toStdString();
  EXPECT_EQ(run.process.readAllStandardOutput(), sampleTsv());

  const std::map<QString, int> widths = expectedWidths();
  QStringList expected;
  for (const auto& [name, width] : widths) expected << name;
  ASSERT_EQ(run.files(), expected);
  const QStringList light = Snapshot::Sequence(Settings::shared(), {}).files().mid(0, 8);
  for (const QString& name : expected) {
    QImageReader reader(run.folder() + "/" + name);
    EXPECT_EQ(reader.format(), "png") << name.toStdString();
    const QImage image = reader.read();
    EXPECT_EQ(image.width(), widths.at(name)) << name.toStdString();
    if (name.startsWith("hint-")) { EXPECT_EQ(image.height(), 120); }
    const QColor plate = plateProbe(name, image);
    EXPECT_TRUE(probe::near(plate, Ink::panel(!light.contains(name)), 3)) << name.toStdString() << " " << plate;
  }

  // Arabic mirrors the menu: its seal-red checks and chip go to the left.
  const auto [arLeft, arRight] = sealHalves(QImage(run.folder() + "/menu-ar.png"));
  const auto [enLeft, enRight] = sealHalves(QImage(run.folder() + "/menu-en.png"));
  EXPECT_GT(enRight, 2 * enLeft);
  EXPECT_GT(arLeft, 2 * arRight);

  EXPECT_EQ(bytes(run.prefs()), kPrefs);
  EXPECT_EQ(QDir(run.home + "/tmp").entryList({"tarvok-snapshot-*"}, QDir::AllEntries), QStringList())
      << "the private copy of the preferences is gone";

  // The states the files are named for, drawn here from their models: the
  // busy toast carries the CPU figure, the conflict step its note.
  auto busy = [](const QString& path) {
    ToastModel model;
    model.setResult(Snapshot::textSample());
    model.setKind(ToastModel::Kind::working);
    model.setBusyCPU(94);
    return Snapshot::toast(model, path);
  };
  for (const bool dark : {false, true}) {
    const QString name = dark ? "/toast-busy-dark.png" : "/toast-busy-light.png";
    EXPECT_TRUE(sameAsDrawnHere(run.folder() + name, kUserLanguage, dark, busy)) << name.toStdString();
  }
  for (const QString& code : Snapshot::languages(false))
    EXPECT_TRUE(sameAsDrawnHere(run.folder() + "/busy-" + code + ".png", Lang(code), true, busy)) << code.toStdString();
  EXPECT_FALSE(QImage(run.folder() + "/toast-busy-light.png") == QImage(run.folder() + "/toast-working-light.png"));

  for (const auto& [name, conflict, permission] : {std::tuple{"first", false, false}, {"conflict", true, false},
                                                   {"done", false, true}}) {
    const QString file = run.folder() + "/onboard-" + name + ".png";
    EXPECT_TRUE(sameAsDrawnHere(file, Lang("auto"), true, [&](const QString& path) {
      return Snapshot::onboarding(Settings::shared(), conflict, permission, path);
    })) << name;
  }
  EXPECT_FALSE(QImage(run.folder() + "/onboard-conflict.png") == QImage(run.folder() + "/onboard-first.png"));
}

TEST(SnapshotProgram, AKilledRunLeavesThePreferencesAsTheyWere) {
  ProgramRun run("killed");
  run.start({"-all", "-snapshot", run.folder()});
  // Killed inside the language block, which changes the language.
  ASSERT_TRUE(testenv::waitUntil([&] { return run.files().size() >= 24; }, 120000));
  run.process.kill();
  EXPECT_EQ(run.finish(), -1) << "killed before it ended by itself";
  EXPECT_EQ(bytes(run.prefs()), kPrefs);
}

TEST(SnapshotProgram, ASignalEndsTheRunWith128PlusItsNumberAndLeavesOnlyWholeFiles) {
  const QStringList all = Snapshot::Sequence(Settings::shared(), Snapshot::languages(true)).files();
  for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(number);
    ProgramRun run(QStringLiteral("signal%1").arg(number));
    run.start({"-all", "-snapshot", run.folder()});
    // The handlers are in place before the first file is drawn.
    ASSERT_TRUE(testenv::waitUntil([&] { return !run.files().isEmpty(); }, 120000));
    ::kill(pid_t(run.process.processId()), number);
    ASSERT_EQ(run.finish(), 128 + number);
    const QStringList files = run.files();
    EXPECT_LT(files.size(), all.size()) << "ended by the signal, not by running to its end";
    for (const QString& name : files) {
      // Nothing half-written, under its own name or a temporary one.
      EXPECT_TRUE(all.contains(name)) << name.toStdString();
      EXPECT_TRUE(bytes(run.folder() + "/" + name).endsWith(QByteArray("IEND\xAE\x42\x60\x82", 8)))
          << name.toStdString();
      EXPECT_FALSE(QImage(run.folder() + "/" + name).isNull()) << name.toStdString();
    }
    EXPECT_EQ(bytes(run.prefs()), kPrefs);
    EXPECT_EQ(QDir(run.home + "/tmp").entryList({"tarvok-snapshot-*"}, QDir::AllEntries), QStringList())
        << "the private copy of the preferences is gone";
  }
}

TEST(SnapshotProgram, AFolderOrFileThatCannotBeWrittenEndsWithAMessageAndExitCodeOne) {
  ProgramRun blocked("blocked");
  QDir().mkpath(blocked.home + "/shots");
  QFile(blocked.folder()).open(QIODevice::WriteOnly);  // a regular file where a folder must go
  blocked.start({"-snapshot", blocked.folder() + "/deeper"});
  EXPECT_EQ(blocked.finish(), 1);
  EXPECT_TRUE(blocked.process.readAllStandardError().contains("cannot make the folder"));
  EXPECT_TRUE(blocked.process.readAllStandardOutput().isEmpty());

  blocked.start({"-snapshot", "-all"});  // a switch, not a folder
  EXPECT_EQ(blocked.finish(), 1);
  EXPECT_TRUE(blocked.process.readAllStandardError().contains("needs a folder"));

  ProgramRun oneLost("one-lost");  // a folder stands where one file goes
  QDir().mkpath(oneLost.folder() + "/about.png");
  oneLost.start({"-snapshot", oneLost.folder()});
  EXPECT_EQ(oneLost.finish(), 1);
  EXPECT_TRUE(oneLost.process.readAllStandardError().contains("1 of 45 snapshot files were not written"));
  EXPECT_EQ(oneLost.process.readAllStandardOutput(), sampleTsv());
  EXPECT_EQ(oneLost.files().size(), 44);

  // Files that cannot grow past 4 KB (a disk that fills): no picture is left
  // short, and the folder's name reaches the terminal with its control
  // characters written out.
  ProgramRun full("full");
  full.process.setChildProcessModifier([] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{4096, RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &small);
  });
  const QString folder = full.home + "/shots/a\x1b[2J\a\nb";
  full.start({"-snapshot", folder});
  EXPECT_EQ(full.finish(), 1);
  const QByteArray said = full.process.readAllStandardError();
  EXPECT_TRUE(said.contains("snapshot files were not written to")) << said.toStdString();
  EXPECT_TRUE(said.contains("/shots/a\\x1B[2J\\x07\\nb\"")) << said.toStdString();
  EXPECT_FALSE(said.contains('\x1b') || said.contains('\a')) << said.toStdString();
  const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  EXPECT_LT(left.size(), 45);
  for (const QString& name : left) EXPECT_FALSE(QImage(folder + "/" + name).isNull()) << name.toStdString();
}
