#include "recognition/base/OCRLanguages.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "core/Lang.h"
#include "tests/support/Printers.h"
#include "tests/support/TestEnv.h"

namespace {

using OCRLanguages::match;
using std::nullopt;

const QStringList kEveryCode = {"en-US", "fr-FR", "it-IT", "de-DE", "es-ES",   "pt-BR", "vi-VT", "ko-KR",
                                "ja-JP", "zh-Hans", "zh-Hant", "ru-RU", "uk-UA", "th-TH", "ar-SA"};

class OCRLanguagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OCRLanguages::setSupportedForTesting(kEveryCode);
    systemLanguages({});
  }
  void TearDown() override {
    OCRLanguages::setSupportedForTesting(nullopt);
    Lang::setPreferredLanguagesSource({});
  }
  static void systemLanguages(QStringList tags) {
    Lang::setPreferredLanguagesSource([tags] { return tags; });
  }
};

void touch(const QString& path, const QByteArray& content = "model") {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(content);
}

TEST(OCRLanguagesTables, ListsAndTraineddata) {
  EXPECT_EQ(OCRLanguages::latin(), (QStringList{"en-US", "fr-FR", "it-IT", "de-DE", "es-ES", "pt-BR", "vi-VT"}));
  EXPECT_EQ(OCRLanguages::scriptLeads(),
            (QStringList{"ko-KR", "ja-JP", "zh-Hans", "zh-Hant", "ru-RU", "th-TH", "ar-SA"}));
  const QStringList names = {"eng", "fra", "ita",     "deu", "spa", "por", "vie", "kor",
                             "jpn", "chi_sim", "chi_tra", "rus", "ukr", "tha", "ara"};
  for (qsizetype i = 0; i < kEveryCode.size(); ++i) {
    EXPECT_EQ(OCRLanguages::traineddata(kEveryCode[i]), names[i]) << kEveryCode[i].toStdString();
  }
  EXPECT_EQ(OCRLanguages::traineddata("vi-VN"), nullopt);
  EXPECT_EQ(OCRLanguages::traineddata("eng"), nullopt);
  EXPECT_EQ(OCRLanguages::base("fr-FR"), "fr");
  EXPECT_EQ(OCRLanguages::base("zh-Hant"), "zh-Hant");
  EXPECT_EQ(OCRLanguages::base(""), "");
}

TEST(OCRLanguagesSupported, CodesOfPresentTraineddataInTableOrder) {
  const QString dir = testenv::scratch() + "/tessdata";
  ASSERT_TRUE(QDir().mkpath(dir));
  touch(dir + "/kor.traineddata");
  touch(dir + "/deu.traineddata");
  touch(dir + "/eng.traineddata");
  touch(dir + "/osd.traineddata");
  touch(dir + "/fra.traineddata", "");
  ASSERT_TRUE(QDir().mkpath(dir + "/ita.traineddata"));
  EXPECT_EQ(OCRLanguages::supportedIn(dir), (QStringList{"en-US", "de-DE", "ko-KR"}));
  EXPECT_EQ(OCRLanguages::supportedIn(testenv::scratch() + "/missing"), QStringList{"en-US"});
}

TEST(OCRLanguagesSupported, InstalledModelsAreTheSupportedList) {
  const QString dir = OCRLanguages::tessdataDir();
  const QStringList& installed = OCRLanguages::supported();
  EXPECT_EQ(installed, OCRLanguages::supportedIn(dir));
  for (const QString& code : kEveryCode) {
    const bool present = QFileInfo(dir + "/" + *OCRLanguages::traineddata(code) + ".traineddata").isFile();
    EXPECT_EQ(installed.contains(code), present) << code.toStdString();
  }
  EXPECT_EQ(installed.first(), "en-US");
}

TEST(OCRLanguagesSupported, TessdataFolderLikeTesseract) {
  const QByteArray saved = qgetenv("TESSDATA_PREFIX");
  qunsetenv("TESSDATA_PREFIX");
  EXPECT_EQ(OCRLanguages::tessdataDir(), "/usr/share/tesseract-ocr/5/tessdata");
  qputenv("TESSDATA_PREFIX", QFile::encodeName(testenv::scratch()));
  EXPECT_EQ(OCRLanguages::tessdataDir(), testenv::scratch());
  qputenv("TESSDATA_PREFIX", QFile::encodeName(testenv::scratch() + "/nowhere"));
  EXPECT_EQ(OCRLanguages::tessdataDir(), "/usr/share/tesseract-ocr/5/tessdata");
  if (saved.isNull()) {
    qunsetenv("TESSDATA_PREFIX");
  } else {
    qputenv("TESSDATA_PREFIX", saved);
  }
}

const bool childRegistered = [] {
  testenv::registerChild("print-supported", [] {
    std::printf("%s\n", qPrintable(OCRLanguages::supported().join(',')));
    std::fflush(stdout);
    return 0;
  });
  return true;
}();

TEST(OCRLanguagesSupported, FreshProcessReadsThePrefixFolder) {
  const QString dir = testenv::scratch() + "/prefix";
  ASSERT_TRUE(QDir().mkpath(dir));
  touch(dir + "/rus.traineddata");
  touch(dir + "/chi_tra.traineddata");
  const auto child = testenv::runChild("print-supported", {{"TESSDATA_PREFIX", dir}});
  ASSERT_EQ(child.exitCode, 0);
  EXPECT_EQ(child.out.trimmed(), "zh-Hant,ru-RU");
}

TEST_F(OCRLanguagesTest, MatchByLanguageRegionAndScript) {
  EXPECT_EQ(match("en"), "en-US");
  EXPECT_EQ(match("de_AT.UTF-8"), "de-DE");
  EXPECT_EQ(match("vi-VN"), "vi-VT");
  EXPECT_EQ(match("nb"), nullopt);
  EXPECT_EQ(match("C"), nullopt);
  EXPECT_EQ(match("zh"), "zh-Hans");
  EXPECT_EQ(match("zh_TW.UTF-8"), "zh-Hant");
  EXPECT_EQ(match("zh-MO"), "zh-Hant");
  // The script of the tag wins over its region; Cantonese never falls back to Mandarin.
  EXPECT_EQ(match("zh-Hans-TW"), "zh-Hans");
  EXPECT_EQ(match("yue-HK"), nullopt);
}

TEST_F(OCRLanguagesTest, MatchFollowsTheSupportedList) {
  OCRLanguages::setSupportedForTesting(QStringList{"en-US"});
  EXPECT_EQ(match("de-DE"), nullopt);
  OCRLanguages::setSupportedForTesting(QStringList{"es-MX", "en-GB", "es-ES", "en-US"});
  EXPECT_EQ(match("es-AR"), "es-MX");
  EXPECT_EQ(match("en"), "en-GB");
  EXPECT_EQ(match("en-US"), "en-US");
  OCRLanguages::setSupportedForTesting(QStringList{"en-US", "zh-Hans"});
  EXPECT_EQ(match("zh-HK"), nullopt);
}

TEST_F(OCRLanguagesTest, PrimaryFromInterfaceAndSystemLanguages) {
  systemLanguages({"de-AT", "en-GB", "de-DE"});
  EXPECT_EQ(OCRLanguages::primary(nullopt), (QStringList{"de-DE", "en-US"}));
  systemLanguages({"en-US"});
  EXPECT_EQ(OCRLanguages::primary(QString("ja")), (QStringList{"ja-JP", "en-US"}));
  systemLanguages({"en-GB", "fr-FR", "zh-MO"});
  EXPECT_EQ(OCRLanguages::primary(nullopt), (QStringList{"en-US", "fr-FR", "zh-Hant"}));
  EXPECT_EQ(OCRLanguages::primary(QString("fr")), (QStringList{"fr-FR", "en-US", "zh-Hant"}));
  systemLanguages({"nb-NO", "fi"});
  EXPECT_EQ(OCRLanguages::primary(nullopt), QStringList{"en-US"});
  systemLanguages({});
  EXPECT_EQ(OCRLanguages::primary(QString("xx")), QStringList{"en-US"});
}

TEST_F(OCRLanguagesTest, FirstPassPreferredThenLatin) {
  EXPECT_EQ(OCRLanguages::firstPass({"ko-KR"}),
            (QStringList{"ko-KR", "en-US", "fr-FR", "it-IT", "de-DE", "es-ES", "pt-BR", "vi-VT"}));
  EXPECT_EQ(OCRLanguages::firstPass({"fr-FR", "xx-YY", "fr-FR"}),
            (QStringList{"fr-FR", "en-US", "it-IT", "de-DE", "es-ES", "pt-BR", "vi-VT"}));
  EXPECT_EQ(OCRLanguages::firstPass({}), OCRLanguages::latin());
  OCRLanguages::setSupportedForTesting(QStringList{"en-US", "de-DE", "ja-JP"});
  EXPECT_EQ(OCRLanguages::firstPass({}), (QStringList{"en-US", "de-DE"}));
  EXPECT_EQ(OCRLanguages::firstPass({"ja-JP", "ko-KR"}), (QStringList{"ja-JP", "en-US", "de-DE"}));
  OCRLanguages::setSupportedForTesting(QStringList{"ko-KR"});
  EXPECT_EQ(OCRLanguages::firstPass({}), QStringList{});
}

TEST_F(OCRLanguagesTest, LatinCodeForDetectedLanguages) {
  EXPECT_EQ(OCRLanguages::latinCode("en"), nullopt);
  EXPECT_EQ(OCRLanguages::latinCode("de"), "de-DE");
  EXPECT_EQ(OCRLanguages::latinCode("ko"), nullopt);
  OCRLanguages::setSupportedForTesting(QStringList{"en-US", "fr-FR"});
  EXPECT_EQ(OCRLanguages::latinCode("de"), nullopt);
  EXPECT_EQ(OCRLanguages::latinCode("fr"), "fr-FR");
}

TEST_F(OCRLanguagesTest, OtherScriptsWithoutTheFirstPreferred) {
  EXPECT_EQ(OCRLanguages::otherScripts({"ja-JP", "ko-KR"}),
            (QStringList{"ko-KR", "zh-Hans", "zh-Hant", "ru-RU", "th-TH", "ar-SA"}));
  EXPECT_EQ(OCRLanguages::otherScripts({}), OCRLanguages::scriptLeads());
  OCRLanguages::setSupportedForTesting(QStringList{"en-US", "ru-RU", "ko-KR"});
  EXPECT_EQ(OCRLanguages::otherScripts({"ko-KR"}), QStringList{"ru-RU"});
}

TEST(OCRLanguagesDetect, RealSentences) {
  EXPECT_EQ(OCRLanguages::detect("The quick brown fox jumps over the lazy dog."), "en");
  EXPECT_EQ(OCRLanguages::detect("Der schnelle braune Fuchs springt über den faulen Hund."), "de");
  // Chinese comes back under the recognition code's name.
  EXPECT_EQ(OCRLanguages::detect("敏捷的棕色狐狸跳过了懒狗。"), "zh-Hans");
  EXPECT_EQ(OCRLanguages::detect("敏捷的棕色狐狸跳過了懶狗。"), "zh-Hant");
  EXPECT_EQ(OCRLanguages::detect("Rechnung Nr. 2024-118\nBitte überweisen Sie den Betrag\nbis zum 12. März."), "de");
}

// CLD2 gives much of a Chinese text with Latin file names to Japanese (35 %
// Chinese, 31 % Japanese for the list below); text in Japanese has kana,
// and Japanese that leads stays Japanese.
TEST(OCRLanguagesDetect, ChineseListsWithFileNamesAreChineseNotJapanese) {
  EXPECT_EQ(OCRLanguages::detect("最近的文件\n名称 大小 修改日期\n报告.pdf 2 MB 星期一\n预算.xlsx 86 KB 今天\n"
                                 "笔记.txt 3 KB 昨天\n照片.jpg 4 MB 星期五\n取消 打开"),
            "zh-Hans");
  EXPECT_EQ(OCRLanguages::detect("最近的檔案 名稱 大小 修改日期 報告.pdf 2 MB 星期一 預算.xlsx 86 KB 今天"), "zh-Hant");
  EXPECT_EQ(OCRLanguages::detect("ファイル 名前 サイズ 更新日 報告.pdf 2 MB 月曜日"), "ja");
  EXPECT_EQ(OCRLanguages::detect("最近使用したファイル 名前 サイズ 更新日時 報告書.pdf 2 MB 月曜日 予算.xlsx 86 KB 今日"), "ja");
  // Kanji alone: a few, and many (an address and settings).
  EXPECT_EQ(OCRLanguages::detect("印刷設定 東京都新宿区西新宿二丁目"), "ja");
  EXPECT_EQ(OCRLanguages::detect("東京都新宿区西新宿二丁目八番一号 東京都庁第一本庁舎 印刷設定 両面印刷"), "ja");
}

TEST(OCRLanguagesDetect, ShortLetterlessOrUnsureTextIsNone) {
  EXPECT_EQ(OCRLanguages::detect("ab 12345 678 90"), nullopt);  // two letters
  EXPECT_EQ(OCRLanguages::detect("+-*/ 42 %"), nullopt);
  EXPECT_EQ(OCRLanguages::detect("Straße"), "de");  // three are enough
  // Russian holds about 56 % of this text: below 0.6.
  EXPECT_EQ(OCRLanguages::detect("Good morning everyone. Доброе утро всем."), nullopt);
  // About 68 % passes.
  EXPECT_EQ(OCRLanguages::detect("The fox jumps over. Быстрая коричневая лиса."), "ru");
}

}  // namespace
