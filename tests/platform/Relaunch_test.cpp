#include "platform/Relaunch.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>

#include "tests/support/TestEnv.h"

using testenv::waitUntil;

TEST(Relaunch, AFailedStartNeverQuits) {
  int quits = 0;
  EXPECT_FALSE(Relaunch::run(testenv::scratch() + "/no-such-program", {}, [&] { ++quits; }, 50));
  EXPECT_FALSE(waitUntil([&] { return quits > 0; }, 400));
  EXPECT_EQ(quits, 0);
}

TEST(Relaunch, QuitsOnlyAfterTheNewCopyStartedAndTellsItWhoStartedIt) {
  const QString out = testenv::scratch() + "/started-by";
  int quits = 0;
  ASSERT_TRUE(Relaunch::run("/bin/sh", {"-c", QString("printf %s \"$%1\" > '%2'").arg(Relaunch::kRelaunchedFrom, out)},
                            [&] { ++quits; }));
  EXPECT_EQ(quits, 0);  // not at once: the old copy lingers a moment
  ASSERT_TRUE(waitUntil([&] { return quits > 0; }, 3000));
  EXPECT_EQ(quits, 1);
  ASSERT_TRUE(waitUntil([&] { return QFile(out).size() > 0; }, 3000));
  QFile f(out);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray::number(QCoreApplication::applicationPid()));
}
