// Backups through Qt's in-process clipboard and the mapping of X selection
// targets onto clipboard formats.
#include "toast/ClipboardBackup.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

QMimeData* dataWith(const std::vector<std::pair<QString, QByteArray>>& formats) {
  auto* data = new QMimeData;
  for (const auto& [type, bytes] : formats) data->setData(type, bytes);
  return data;
}

}  // namespace

TEST(ClipboardBackup, KeepsEveryRealFormatByteForByteAndSkipsProtocolNames) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QByteArray png("\x89PNG\r\n\x1a\n\x00\x01", 10);
  clipboard->setMimeData(dataWith({{"text/plain", "héllo"}, {"image/png", png}, {"TARGETS", "junk"},
                                   {"application/x-empty", ""}}));
  const ClipboardBackup backup = PendingBackup::start().wait(0);
  ASSERT_EQ(backup.items.size(), 1u);
  QStringList kept;
  for (const auto& [type, bytes] : backup.items[0]) kept << type;
  kept.sort();
  EXPECT_EQ(kept, (QStringList{"application/x-empty", "image/png", "text/plain"}));

  clipboard->setText("recognised");
  backup.restore(clipboard);
  const QMimeData* back = clipboard->mimeData();
  EXPECT_EQ(back->data("image/png"), png);
  EXPECT_EQ(back->data("text/plain"), "héllo");
  EXPECT_TRUE(back->hasFormat("application/x-empty"));
  EXPECT_FALSE(back->hasFormat("TARGETS"));
}

TEST(ClipboardBackup, AnEmptyClipboardRestoresToEmpty) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  const ClipboardBackup backup = ClipboardBackup::take(0);
  EXPECT_TRUE(backup.items.empty());
  clipboard->setText("recognised");
  backup.restore(clipboard);
  const QMimeData* now = clipboard->mimeData();
  EXPECT_TRUE(!now || now->formats().isEmpty()) << "not the recognised text";
  EXPECT_TRUE(ClipboardBackup::of(nullptr).items.empty());
}

TEST(ClipboardBackup, SelectionTargetsBecomeClipboardFormats) {
  using Targets = std::vector<std::pair<QByteArray, QByteArray>>;
  auto types = [](const ClipboardBackup& b) {
    QStringList out;
    for (const auto& [type, bytes] : b.items.at(0)) out << type + "=" + QString::fromUtf8(bytes);
    return out;
  };
  // UTF8_STRING wins over the other text names, which Qt derives again.
  EXPECT_EQ(types(ClipboardBackup::fromSelection(
                true, Targets{{"STRING", "caf\xe9"}, {"UTF8_STRING", "café"}, {"TEXT", "x"}, {"image/png", "P"}})),
            (QStringList{"text/plain=café", "image/png=P"}));
  // Latin-1 STRING alone is turned into UTF-8.
  EXPECT_EQ(types(ClipboardBackup::fromSelection(true, Targets{{"STRING", "caf\xe9"}})), QStringList{"text/plain=café"});
  // Other text flavours and custom types keep their names.
  EXPECT_EQ(types(ClipboardBackup::fromSelection(true, Targets{{"text/plain;charset=utf-8", "a"}, {"x-custom", "b"}})),
            (QStringList{"text/plain;charset=utf-8=a", "x-custom=b"}));
  // Owned without data: one empty item; unowned: nothing.
  EXPECT_EQ(ClipboardBackup::fromSelection(true, {}).items.size(), 1u);
  EXPECT_TRUE(ClipboardBackup::fromSelection(false, {}).items.empty());
  for (const char* name : {"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "DELETE", "PIXMAP"}) {
    EXPECT_TRUE(ClipboardBackup::isPseudoFormat(name)) << name;
  }
  EXPECT_FALSE(ClipboardBackup::isPseudoFormat("text/plain"));
}
