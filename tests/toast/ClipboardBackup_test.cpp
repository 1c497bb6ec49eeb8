// An empty clipboard through Qt's in-process clipboard, and the mapping of X
// selection targets onto clipboard formats (the real X clipboard is
// Clipboard_x_test).
#include "toast/ClipboardBackup.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

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
