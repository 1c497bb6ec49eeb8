// The mapping of X selection targets onto clipboard formats (the real X
// clipboard is Clipboard_x_test).
#include "toast/ClipboardBackup.h"

#include <gtest/gtest.h>

#include <QStringList>

TEST(ClipboardBackup, SelectionTargetsBecomeClipboardFormats) {
  using Targets = std::vector<std::pair<QByteArray, QByteArray>>;
  auto types = [](const Targets& targets) {
    QStringList out;
    const ClipboardBackup backup = ClipboardBackup::fromSelection(true, targets);
    for (const auto& [type, bytes] : backup.items.at(0))
      out << type + "=" + QString::fromUtf8(bytes);
    return out;
  };
  // UTF8_STRING wins over the other text names, which Qt derives again.
  EXPECT_EQ(types({{"STRING", "caf\xe9"}, {"UTF8_STRING", "café"}, {"TEXT", "x"}, {"image/png", "P"}}),
            (QStringList{"text/plain=café", "image/png=P"}));
  EXPECT_EQ(types(Targets{{"STRING", "caf\xe9"}}), QStringList{"text/plain=café"}) << "Latin-1 alone becomes UTF-8";
  EXPECT_EQ(types({{"text/plain;charset=utf-8", "a"}, {"x-custom", "b"}}),
            (QStringList{"text/plain;charset=utf-8=a", "x-custom=b"}));
  EXPECT_EQ(ClipboardBackup::fromSelection(true, {}).items.size(), 1u) << "owned without data: one empty item";
  EXPECT_TRUE(ClipboardBackup::fromSelection(false, {}).items.empty());
  for (const char* name : {"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "DELETE", "PIXMAP"})
    EXPECT_TRUE(ClipboardBackup::isPseudoFormat(name)) << name;
  EXPECT_FALSE(ClipboardBackup::isPseudoFormat("text/plain"));
}
