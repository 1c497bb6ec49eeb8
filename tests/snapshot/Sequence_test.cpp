#include "snapshot/Sequence.h"

#include <gtest/gtest.h>

#include "core/Settings.h"
#include "tests/support/Fixtures.h"

namespace {
QStringList names(const QStringList& languages) { return Snapshot::Sequence(Settings::shared(), languages).files(); }
}  // namespace

TEST(SnapshotSequence, TheDefaultRunWritesTheFortyFiveFilesInTheirOrder) {
  QStringList expected;
  for (const char* pass : {"light", "dark"})
    for (const char* prefix : {"menu-", "toast-table-", "toast-table-hover-", "toast-text-", "toast-qr-",
                               "toast-working-", "toast-busy-", "toast-empty-"})
      expected << QLatin1String(prefix) + pass + ".png";
  for (const char* code : {"en", "ja", "zh-Hans", "ar", "ru", "de"})
    for (const char* prefix : {"menu-", "toast-", "busy-"}) expected << QLatin1String(prefix) + code + ".png";
  expected << "lang-list.png" << "onboard-first.png" << "onboard-conflict.png" << "onboard-done.png"
           << "hint-accurate.png" << "hint-fast.png" << "menu-fast.png" << "about.png" << "about-en.png"
           << "lang-auto.png" << "lang-manual.png";
  EXPECT_EQ(names(Snapshot::languages(false)), expected);
}

TEST(SnapshotSequence, AllLanguagesGiveThreeFilesEachAndAMissingCatalogueIsLeftOut) {
  EXPECT_EQ(Snapshot::languages(true), Catalog::codes());
  EXPECT_EQ(names(Snapshot::languages(true)).size(), 16 + 3 * Catalog::codes().size() + 11);

  testenv::FakeBundle bundle;
  bundle.removeCatalog("ja");
  bundle.reload();
  QStringList missing;
  const QStringList drawn = Snapshot::languages(false, &missing);
  EXPECT_EQ(drawn, (QStringList{"en", "zh-Hans", "ar", "ru", "de"}));
  EXPECT_EQ(missing, QStringList{"ja"});
  EXPECT_FALSE(Snapshot::languages(true).contains("ja"));
}
