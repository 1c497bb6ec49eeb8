#include "core/Fonts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <cmath>
#include <cstdio>

#include "core/Settings.h"
#include "platform/Bundle.h"
#include "tests/support/TestEnv.h"

namespace {

// What a fresh process decides for its faces, with or without the bundled fonts.
const bool registered = (testenv::registerChild("font-faces", [] {
  if (qEnvironmentVariableIntValue("TARVOK_TEST_REGISTER") == 1) Fonts::registerAll();
  const QString latin = Fonts::latinFace().value_or(QStringLiteral("-"));
  std::printf("%s\n%s\n", qPrintable(Fonts::koreanFace()), qPrintable(latin));
  return 0;
}), true);

QStringList childFaces(bool registerFonts) {
  const auto result = testenv::runChild(
      "font-faces", {{"TARVOK_TEST_REGISTER", registerFonts ? "1" : "0"}});
  EXPECT_EQ(result.exitCode, 0);
  return QString::fromUtf8(result.out).trimmed().split(QLatin1Char('\n'));
}

bool bundledFontsPresent() {
  const QDir fonts(testenv::sourceResources() + "/Fonts");
  return fonts.exists("NotoSerifKR_300Light.ttf") && fonts.exists("CormorantGaramond_500Medium.ttf");
}

// Sets the interface language for one test and puts "auto" back afterwards.
struct Language {
  explicit Language(const QString& code) { Settings::shared().setLanguage(Lang(code)); }
  ~Language() {
    Settings::shared().setLanguage(Lang());
    Lang::setPreferredLanguagesSource({});
  }
};

}  // namespace

TEST(Fonts, ScriptOfCodes) {
  EXPECT_EQ(Fonts::scriptFor("ko"), Fonts::Script::korean);
  EXPECT_EQ(Fonts::scriptFor("de"), Fonts::Script::latin);
  EXPECT_EQ(Fonts::scriptFor("pt-BR"), Fonts::Script::latin);
  EXPECT_EQ(Fonts::scriptFor("vi"), Fonts::Script::latin);
  EXPECT_EQ(Fonts::scriptFor("ja"), Fonts::Script::other);
  EXPECT_EQ(Fonts::scriptFor("pt"), Fonts::Script::other);
  EXPECT_EQ(Fonts::scriptFor("ru"), Fonts::Script::other);
  EXPECT_EQ(Fonts::latinCodes().size(), 23);
}

TEST(Fonts, ScriptFollowsTheInterfaceLanguage) {
  {
    Language ko("ko");
    EXPECT_EQ(Fonts::script(), Fonts::Script::korean);
  }
  {
    Language ja("ja");
    EXPECT_EQ(Fonts::script(), Fonts::Script::other);
  }
  {
    Language automatic("auto");
    Lang::setPreferredLanguagesSource([] { return QStringList{"fr-FR", "en-US"}; });
    EXPECT_EQ(Fonts::script(), Fonts::Script::latin);
  }
}

TEST(Fonts, FallbackChain) {
  EXPECT_EQ(Fonts::chooseKoreanFace({"Noto Serif CJK KR", "Noto Serif KR"}), "Noto Serif KR");
  EXPECT_EQ(Fonts::chooseKoreanFace({"DejaVu Sans", "Noto Serif CJK KR"}), "Noto Serif CJK KR");
  EXPECT_EQ(Fonts::chooseKoreanFace({"DejaVu Sans"}), "Hahmlet");
  EXPECT_EQ(Fonts::chooseLatinFace({"Cormorant Garamond"}), QString("Cormorant Garamond"));
  EXPECT_FALSE(Fonts::chooseLatinFace({"Cormorant", "Garamond"}).has_value());
}

// The Debian stand-in is what this machine has without the bundled fonts.
TEST(Fonts, FreshProcessWithoutBundledFonts) {
  ASSERT_TRUE(QFontDatabase::families().contains("Noto Serif CJK KR")) << "fonts-noto-cjk missing";
  ASSERT_FALSE(QFontDatabase::families().contains("Noto Serif KR"));
  const QStringList faces = childFaces(false);
  ASSERT_EQ(faces.size(), 2);
  EXPECT_EQ(faces[0], "Noto Serif CJK KR");
  EXPECT_EQ(faces[1], "-");
}

TEST(Fonts, FreshProcessWithBundledFonts) {
  if (!bundledFontsPresent()) GTEST_SKIP() << "resources/Fonts not fetched";
  const QStringList faces = childFaces(true);
  ASSERT_EQ(faces.size(), 2);
  EXPECT_EQ(faces[0], "Noto Serif KR");
  EXPECT_EQ(faces[1], "Cormorant Garamond");
}

TEST(Fonts, FacePerLanguage) {
  if (!bundledFontsPresent()) GTEST_SKIP() << "resources/Fonts not fetched";
  Fonts::registerAll();
  {
    Language ko("ko");
    const QFont f = Fonts::face(15);
    EXPECT_EQ(f.family(), "Noto Serif KR");
    EXPECT_EQ(QFontInfo(f).family(), "Noto Serif KR");  // really there, not substituted
    EXPECT_EQ(f.pixelSize(), 15);
    EXPECT_EQ(f.weight(), QFont::Light);
  }
  {
    Language de("de");
    const QFont f = Fonts::face(20);
    EXPECT_EQ(QFontInfo(f).family(), "Cormorant Garamond");
    EXPECT_EQ(f.pixelSize(), 23);  // 20 x 1.15
    EXPECT_EQ(f.weight(), QFont::Medium);
  }
  {
    Language ja("ja");
    const QFont f = Fonts::face(15);
    EXPECT_EQ(QFontInfo(f).family(), QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family());
    EXPECT_EQ(f.pixelSize(), 15);
    EXPECT_EQ(f.weight(), QFont::Medium);
  }
}

TEST(Fonts, LatinWithoutItsFaceIsTheSystemSerif) {
  const QFont f = Fonts::faceFor(Fonts::Script::latin, 20, std::nullopt, "Noto Serif CJK KR");
  EXPECT_EQ(f.pixelSize(), 20);  // no enlargement without the display face
  EXPECT_EQ(f.weight(), QFont::Normal);
  const QString resolved = QFontInfo(f).family();
  EXPECT_TRUE(resolved.contains("Serif") || resolved == "C059" || resolved == "Nimbus Roman") << qPrintable(resolved);
  EXPECT_NE(resolved, QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family());
}

TEST(Fonts, KoreanFaceFallsBackToTheDebianFamily) {
  const QFont f = Fonts::faceFor(Fonts::Script::korean, 14.6, std::nullopt, "Noto Serif CJK KR");
  EXPECT_EQ(QFontInfo(f).family(), "Noto Serif CJK KR");
  EXPECT_EQ(f.pixelSize(), 15);
  EXPECT_EQ(f.weight(), QFont::Light);
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
  Bundle::setResourceDir(testenv::sourceResources());

  ASSERT_EQ(ids.size(), 2);
  EXPECT_EQ(QFontDatabase::applicationFontFamilies(ids[0]), QStringList{"DejaVu Serif"});
  EXPECT_EQ(QFontDatabase::applicationFontFamilies(ids[1]), QStringList{"C059"});
}

TEST(Fonts, RegisterWithoutAFolderIsSilent) {
  const QString dir = testenv::scratch() + "/no-fonts";
  ASSERT_TRUE(QDir().mkpath(dir));
  Bundle::setResourceDir(dir);
  EXPECT_TRUE(Fonts::registerAll().isEmpty());
  Bundle::setResourceDir(QString());
  EXPECT_TRUE(Fonts::registerAll().isEmpty());
  Bundle::setResourceDir(testenv::sourceResources());
}

TEST(Fonts, TextWidth) {
  EXPECT_EQ(Fonts::textWidth("", 13, QFont::Normal), 0);
  const qreal normal = Fonts::textWidth("Recognised text", 13, QFont::Normal);
  const qreal bold = Fonts::textWidth("Recognised text", 13, QFont::Bold);
  const qreal large = Fonts::textWidth("Recognised text", 26, QFont::Normal);
  for (qreal w : {normal, bold, large, Fonts::textWidth("i", 9.5, QFont::Light)}) {
    EXPECT_GT(w, 0);
    EXPECT_EQ(w, std::floor(w));
  }
  EXPECT_GT(bold, normal);
  EXPECT_NEAR(large, 2 * normal, 3);
  // Rounding goes up: never narrower than the exact advance.
  QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  f.setPixelSize(13);
  EXPECT_GE(normal, QFontMetricsF(f).horizontalAdvance("Recognised text"));
}
