// The clipboard against a real X server (tests/support/xsession), checked
// from outside with xclip the way another program would paste.
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTimer>

#include "tests/support/XWindows.h"
#include "tests/toast/Samples.h"
#include "tests/toast/XOwner.h"
#include "toast/ClipboardBackup.h"
#include "toast/ToastModel.h"

namespace {

using xwindows::paste;
using xwindows::waitUntil;

QStringList targets() { return QString::fromLatin1(paste(QStringLiteral("TARGETS")).bytes).split('\n', Qt::SkipEmptyParts); }

QByteArray noise(qsizetype n) {
  QByteArray bytes(n, Qt::Uninitialized);
  QRandomGenerator gen(7);
  for (qsizetype i = 0; i < n; ++i) bytes[i] = char(gen.bounded(256));
  return bytes;
}

// A fresh result written as a capture writes it.
void writeRecognised() {
  ToastModel model;
  model.setResult(samples::lines({"recognised"}));
  model.writeClipboard();
}

}  // namespace

TEST(ClipboardX, WrittenTextAndTableAsOtherProgramsPasteThem) {
  ToastModel model;
  model.setResult(samples::lines({"Grüße aus Köln", "second line"}));
  model.writeClipboard();
  EXPECT_EQ(paste("UTF8_STRING").bytes, QStringLiteral("Grüße aus Köln\nsecond line").toUtf8());
  EXPECT_FALSE(targets().contains("text/html"));

  Table table;
  table.rows = {{"Name", "Qty"}, {"Äpfel <rot>", "3"}, {"Birnen & Co", "12"}};
  model.setResult(samples::withTable(table));
  model.setAsTable(true);
  model.writeClipboard();
  EXPECT_EQ(paste("text/html").bytes, table.html().toUtf8());
  EXPECT_EQ(paste("UTF8_STRING").bytes, table.tsv().toUtf8());
  EXPECT_EQ(paste("text/plain").bytes, table.tsv().toUtf8());

  // Our own table is backed up without asking the server, and comes back whole.
  PendingBackup pending = PendingBackup::start();
  EXPECT_TRUE(pending.ready());
  const ClipboardBackup backup = pending.wait(0).value();

  // A committed edit is plain text only: the table's HTML must not linger.
  model.setEdited(QStringLiteral("edited"));
  model.writeClipboard();
  EXPECT_FALSE(targets().contains("text/html"));
  EXPECT_EQ(paste("UTF8_STRING").bytes, "edited");

  backup.restore();
  EXPECT_EQ(paste("text/html").bytes, table.html().toUtf8());
  EXPECT_EQ(paste("UTF8_STRING").bytes, table.tsv().toUtf8());
}

TEST(ClipboardX, UndoGivesBackEveryFormatOfAnotherProgramByteForByte) {
  const QByteArray text = QStringLiteral("naïve café ✓").toUtf8();
  const QByteArray png = noise(300 * 1024);  // large enough to arrive in chunks
  const QByteArray custom("\x00\x01\x02custom\xff", 10);
  ClipboardBackup backup;
  {
    xowner::Owner owner({{"UTF8_STRING", text}, {"image/png", png}, {"application/x-tarvok-sample", custom}});
    ASSERT_TRUE(owner.owns());
    PendingBackup pending = PendingBackup::start();
    ASSERT_TRUE(waitUntil([&] { return pending.ready(); }));
    backup = pending.wait(0).value();
  }
  ASSERT_EQ(backup.items.size(), 1u);
  EXPECT_EQ(backup.items[0].size(), 3u) << "no pseudo formats (TARGETS, ...) among the data";

  writeRecognised();
  ASSERT_EQ(paste("UTF8_STRING").bytes, "recognised");
  backup.restore();
  EXPECT_EQ(paste("UTF8_STRING").bytes, text);
  EXPECT_EQ(paste("image/png").bytes, png);
  EXPECT_EQ(paste("application/x-tarvok-sample").bytes, custom);
  EXPECT_FALSE(targets().contains("text/html"));
}

TEST(ClipboardX, AnEmptyClipboardComesBackEmpty) {
  xowner::Owner::clearClipboard();
  ASSERT_FALSE(paste("TARGETS").ok);
  const ClipboardBackup backup = ClipboardBackup::take(5000).value();
  EXPECT_TRUE(backup.items.empty()) << "known to be empty";

  writeRecognised();
  ASSERT_TRUE(paste("UTF8_STRING").ok);
  backup.restore();
  EXPECT_FALSE(paste("TARGETS").ok) << "not the recognised text";
}

TEST(ClipboardX, AHungOwnerNeitherFreezesTheInterfaceNorPassesForAnEmptyClipboard) {
  xowner::Owner hung({{"UTF8_STRING", "never delivered"}}, /*hung=*/true);
  ASSERT_TRUE(hung.owns());
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(10);
  PendingBackup pending = PendingBackup::start();
  EXPECT_FALSE(pending.wait(100).has_value());
  EXPECT_FALSE(pending.ready()) << "the budget, not the owner, decides";
  // Qt's own read would block this thread for 10 s; ours gives up in the background.
  ASSERT_TRUE(waitUntil([&] { return pending.ready(); }, 8000));
  EXPECT_GT(ticks, 10) << "the event loop ran all along";
  EXPECT_GE(hung.requests(), 1);
  // What it held is unknown: undo must not take that for an empty clipboard
  // and clear away whatever is there.
  EXPECT_FALSE(pending.wait(0).has_value());
}

// Whether the clipboard still holds our copy is asked of the server alone:
// another program's copy, hung or not, is never read for it.
TEST(ClipboardX, OurCopyIsToldFromANewerOneWithoutAskingItsOwner) {
  ToastModel model;
  model.setResult(samples::lines({"ours"}));
  model.writeClipboard();
  ASSERT_EQ(paste("UTF8_STRING").bytes, "ours");
  EXPECT_TRUE(model.clipboardUnchanged());
  ASSERT_TRUE(ClipboardBackup::ofOwnClipboard().has_value());

  xowner::Owner hung({{"UTF8_STRING", "ours"}}, /*hung=*/true);  // the same text, another owner
  ASSERT_TRUE(hung.owns());
  EXPECT_FALSE(model.clipboardUnchanged());
  EXPECT_FALSE(ClipboardBackup::ofOwnClipboard().has_value());
  EXPECT_EQ(hung.requests(), 0);

  // Ours again, once the news of the other owner has arrived (X ignores an
  // owner change stamped before the last one).
  xwindows::pump(100);
  model.writeClipboard();
  EXPECT_TRUE(model.clipboardUnchanged());
  xowner::Owner::clearClipboard();
  EXPECT_FALSE(model.clipboardUnchanged()) << "an emptied clipboard is not our copy either";
}
