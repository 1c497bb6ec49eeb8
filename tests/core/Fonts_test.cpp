#include "core/Fonts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <cstdio>

#include "core/Settings.h"
#include "platform/Bundle.h"
#include "tests/support/TestEnv.h"

namespace {

// What a fresh process decides for its faces, with or without the bundled fonts.
const bool registered = (testenv::registerChild("font-faces", [] {
  if (qEnvironmentVariableIntValue("TARVOK_TEST_REGISTER") == 1) Fonts::registerAll();
  std::printf("%s\n%s\n", qPrintable(Fonts::koreanFace()), qPrintable(Fonts::latinFace().value_or("-")));
  return 0;
}), true);

QStringList childFaces(bool registerFonts) {
  const auto result = testenv::runChild("font-faces", {{"TARVOK_TEST_REGISTER", registerFonts ? "1" : "0"}});
  EXPECT_EQ(result.exitCode, 0);
  return QString::fromUtf8(result.out).trimmed().split(QLatin1Char('\n'));
}

bool bundledFontPresent() { return QDir(testenv::sourceResources() + "/Fonts").exists("CormorantGaramond_500Medium.ttf"); }

QString systemFamily() { return QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family(); }

// Sets the interface language for one test and puts "auto" back afterwards.
struct Language {
  explicit Language(const QString& code) { Settings::shared().setLanguage(Lang(code)); }
  ~Language() {
    Settings::shared().setLanguage(Lang());
    Lang::setPreferredLanguagesSource({});
  }
};

TEST(Fonts, ScriptFollowsTheInterfaceLanguage) {
  EXPECT_EQ(Fonts::scriptFor("pt-BR"), Fonts::Script::latin);
  EXPECT_EQ(Fonts::scriptFor("pt"), Fonts::Script::other);
  const std::pair<const char*, Fonts::Script> cases[] = {
      {"ko", Fonts::Script::korean}, {"ja", Fonts::Script::other}, {"auto", Fonts::Script::latin}};
  for (const auto& [code, script] : cases) {
    Language language(code);
    Lang::setPreferredLanguagesSource([] { return QStringList{"fr-FR", "en-US"}; });
    EXPECT_EQ(Fonts::script(), script) << code;
  }
}

// The Korean serif comes from Debian's packages, the Latin face from the bundle.
TEST(Fonts, FreshProcessDecidesFromWhatIsRegistered) {
  EXPECT_EQ(Fonts::chooseKoreanFace({"DejaVu Sans"}), "Hahmlet");  // named, not checked
  EXPECT_EQ(Fonts::chooseKoreanFace({"Noto Serif CJK KR", "Noto Serif KR"}), "Noto Serif KR");
  ASSERT_TRUE(QFontDatabase::families().contains("Noto Serif CJK KR")) << "fonts-noto-cjk missing";
  ASSERT_TRUE(bundledFontPresent()) << "resources/Fonts lost its display face";
  EXPECT_EQ(childFaces(false), (QStringList{"Noto Serif CJK KR", "-"}));
  EXPECT_EQ(childFaces(true), (QStringList{"Noto Serif CJK KR", "Cormorant Garamond"}));
}

TEST(Fonts, FacePerLanguage) {
  Fonts::registerAll();
  // The light Korean weight must be a real face (fonts-noto-cjk-extra), not a
  // regular one standing in for it.
  QFont light("Noto Serif CJK KR");
  light.setWeight(QFont::Light);
  EXPECT_EQ(QFontInfo(light).styleName(), "Light") << "fonts-noto-cjk-extra missing";
  // Family as really resolved (not substituted), pixel size, weight.
  const std::tuple<const char*, QString, int, QFont::Weight> cases[] = {
      {"ko", "Noto Serif CJK KR", 20, QFont::Light},
      {"de", "Cormorant Garamond", 23, QFont::Medium},  // 20 x 1.15
      {"ja", systemFamily(), 20, QFont::Medium}};
  for (const auto& [code, family, pixels, weight] : cases) {
    Language language(code);
    const QFont f = Fonts::face(20);
    EXPECT_EQ(std::tuple(QFontInfo(f).family(), f.pixelSize(), f.weight()), std::tuple(family, pixels, weight)) << code;
  }
}

TEST(Fonts, FallbackFaces) {
  // Latin without its display face: the system serif, not enlarged, regular.
  const QFont latin = Fonts::faceFor(Fonts::Script::latin, 20, std::nullopt, "Noto Serif CJK KR");
  EXPECT_EQ(std::pair(latin.pixelSize(), latin.weight()), std::pair(20, QFont::Normal));
  const QString resolved = QFontInfo(latin).family();
  EXPECT_TRUE(resolved.contains("Serif") || resolved == "C059" || resolved == "Nimbus Roman") << qPrintable(resolved);
  EXPECT_NE(resolved, systemFamily());
  const QFont korean = Fonts::faceFor(Fonts::Script::korean, 14.6, std::nullopt, "Noto Serif CJK KR");
  EXPECT_EQ(std::tuple(QFontInfo(korean).family(), korean.pixelSize(), korean.weight()),
            std::tuple(QString("Noto Serif CJK KR"), 15, QFont::Light));
}

TEST(Fonts, RegisterTakesTtfAndOtfInAnyCaseOnly) {
  const QString dir = testenv::scratch() + "/font-bundle";
  ASSERT_TRUE(QDir().mkpath(dir + "/Fonts/sub.ttf"));  // a folder, not a font
  ASSERT_TRUE(QFile::copy("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf", dir + "/Fonts/A.TTF"));
  ASSERT_TRUE(QFile::copy("/usr/share/fonts/opentype/urw-base35/C059-Roman.otf", dir + "/Fonts/b.otf"));
  // A real font under a skipped extension: only the name may keep it out.
  ASSERT_TRUE(QFile::copy("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", dir + "/Fonts/c.woff"));
  Bundle::setResourceDir(dir);
  const QList<int> ids = Fonts::registerAll();
  ASSERT_EQ(ids.size(), 2);
  EXPECT_EQ(QFontDatabase::applicationFontFamilies(ids[0]), QStringList{"DejaVu Serif"});
  EXPECT_EQ(QFontDatabase::applicationFontFamilies(ids[1]), QStringList{"C059"});
  // No folder: nothing, silently.
  Bundle::setResourceDir(testenv::scratch());
  EXPECT_TRUE(Fonts::registerAll().isEmpty());
  Bundle::setResourceDir(testenv::sourceResources());
}

}  // namespace
