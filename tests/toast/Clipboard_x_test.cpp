// The clipboard against a real X server (tests/support/xsession), checked
// from outside with xclip the way another program would paste.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>

#include "tests/support/TestEnv.h"
#include "tests/toast/Samples.h"
#include "tests/toast/XOwner.h"
#include "toast/ClipboardBackup.h"
#include "toast/ToastModel.h"

namespace {

using testenv::waitUntil;

struct Paste {
  bool ok = false;
  QByteArray bytes;
};

// What a program pasting `target` gets. The event loop keeps running while
// xclip waits, because when this process owns the clipboard it must answer.
Paste paste(const QString& target) {
  QProcess xclip;
  xclip.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard", "-t", target});
  waitUntil([&] { return xclip.state() == QProcess::NotRunning; }, 15000);
  return {xclip.exitStatus() == QProcess::NormalExit && xclip.exitCode() == 0, xclip.readAllStandardOutput()};
}

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
  const ClipboardBackup backup = pending.wait(0);

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
    backup = pending.wait(0);
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
  const ClipboardBackup backup = ClipboardBackup::take(5000);
  EXPECT_TRUE(backup.items.empty());

  writeRecognised();
  ASSERT_TRUE(paste("UTF8_STRING").ok);
  backup.restore();
  EXPECT_FALSE(paste("TARGETS").ok) << "not the recognised text";
}

TEST(ClipboardX, AHungOwnerNeitherFreezesTheInterfaceNorSurvivesUndo) {
  xowner::Owner hung({{"UTF8_STRING", "never delivered"}}, /*hung=*/true);
  ASSERT_TRUE(hung.owns());
  QElapsedTimer elapsed;
  elapsed.start();
  EXPECT_TRUE(ClipboardBackup::take(100).items.empty());
  EXPECT_LT(elapsed.elapsed(), 2000) << "the budget, not the owner, decides";

  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(10);
  elapsed.restart();
  PendingBackup pending = PendingBackup::start();
  // Qt's own read would block this thread for 10 s; ours gives up in the background.
  ASSERT_TRUE(waitUntil([&] { return pending.ready(); }, 8000));
  EXPECT_GT(ticks, 10) << "the event loop ran all along";
  EXPECT_GE(hung.requests(), 1);
  const ClipboardBackup backup = pending.wait(0);
  EXPECT_TRUE(backup.items.empty());

  // The result is written all the same; undo then leaves nothing rather than the result.
  writeRecognised();
  EXPECT_EQ(paste("UTF8_STRING").bytes, "recognised");
  backup.restore();
  EXPECT_FALSE(paste("UTF8_STRING").ok);
}
