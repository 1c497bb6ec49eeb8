#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QLockFile>
#include <QRegularExpression>
#include <cmath>
#include <numeric>
#include <random>

#include "analytics/CacheFile.h"
#include "analytics/DecimalText.h"
#include "analytics/SignalCache.h"
#include "tests/analytics/Rig.h"

using analytics::Batch;
using analytics::CacheFile;
using analytics::Payload;
using analytics::SignalCache;
using analytics::SignalPostBody;
namespace coding = analytics::SignalCoding;

namespace {

SignalPostBody record(int n, std::optional<double> value = std::nullopt) {
  SignalPostBody r;
  r.receivedAt = std::chrono::microseconds(1772395200123456LL + n);
  r.appID = "APP";
  r.clientUser = QString(64, 'a');
  r.sessionID = "0F8E5A3C-1B2D-4E6F-8A9B-0C1D2E3F4A5B";
  r.type = "test.signal";
  r.floatValue = value;
  r.payload = Payload::fromMap({{"n", QString::number(n)}, {"text", "quote \" slash \\ tab\t 한글 \x01"}});
  r.isTestMode = "false";
  return r;
}

Batch records(int from, int count) {
  Batch b;
  for (int i = from; i < from + count; ++i) b.push_back(record(i));
  return b;
}

std::vector<int> numbers(const Batch& batch) {
  std::vector<int> out;
  for (const SignalPostBody& r : batch) out.push_back(r.payload.value("n")->toInt());
  return out;
}

std::vector<int> range(int from, int count) {
  std::vector<int> out(static_cast<size_t>(count));
  std::iota(out.begin(), out.end(), from);
  return out;
}

QString cachePath(const QString& name) { return testenv::scratch() + "/cache-" + name + "/analyticssignalcache"; }

// Saves batches of alternating size over and over until it is killed.
int saverChild() {
  CacheFile file(cachePath("killed"), std::nullopt);
  if (!file.claim()) return 3;
  for (int round = 0;; ++round) file.save(records(0, round % 2 ? 1500 : 700));
}

const bool registered = (testenv::registerChild("saver", saverChild), true);

}  // namespace

TEST(AnalyticsCache, BoundsAndOrder) {
  SignalCache full(10000);
  full.push(records(0, 10000));
  full.push(record(10000));
  EXPECT_EQ(full.count(), 10000);
  full.push(records(10001, 150));
  EXPECT_EQ(numbers(full.takeBatch()).front(), 151);

  SignalCache none(0);
  none.push(record(1));
  EXPECT_EQ(none.count(), 0);

  for (const auto& [have, popped] : std::vector<std::pair<int, size_t>>{{0, 0}, {50, 50}, {150, 100}}) {
    SignalCache cache(10000);
    cache.push(records(0, have));
    EXPECT_EQ(cache.takeBatch().size(), popped);
    EXPECT_EQ(cache.count(), have - int(popped));
  }

  // A requeued batch goes behind signals that came meanwhile; one too large goes back in front.
  SignalCache cache(10000);
  cache.push(records(0, 150));
  EXPECT_EQ(numbers(cache.takeBatch()), range(0, 100));
  EXPECT_TRUE(cache.takeBatch().empty()) << "one batch in flight at a time";
  cache.push(record(150));
  EXPECT_EQ(numbers(cache.pending()).front(), 0) << "the batch in flight is still pending";
  cache.settle(SignalCache::Outcome::requeueBack);
  EXPECT_EQ(numbers(cache.takeBatch(10)), range(100, 10));
  cache.settle(SignalCache::Outcome::requeueFront);
  EXPECT_EQ(numbers(cache.takeBatch(10)), range(100, 10));
  cache.settle(SignalCache::Outcome::done);
  EXPECT_EQ(cache.count(), 141);
}

TEST(AnalyticsCache, BothEncodingsOfARecord) {
  const Batch batch{record(1), record(2, 0.0), record(3, -2.5e-7)};
  const QByteArray wire = *coding::encode(batch, coding::DateForm::wire);
  const QJsonArray array = QJsonDocument::fromJson(wire).array();
  EXPECT_FALSE(array[0].toObject().contains("floatValue"));
  EXPECT_EQ(array[1].toObject()["floatValue"].toDouble(-1), 0.0);
  EXPECT_EQ(array[0].toObject()["receivedAt"].toString(), "2026-03-01T20:00:00+0000");
  EXPECT_TRUE(wire.startsWith("[{\"receivedAt\":\"2026-03-01T20:00:00+0000\",\"appID\":\"APP\",\"clientUser\""));

  // The file keeps the instant to the microsecond, in seconds since 2001.
  const QByteArray file = *coding::encode(batch, coding::DateForm::file);
  EXPECT_NEAR(QJsonDocument::fromJson(file).array()[0].toObject()["receivedAt"].toDouble(), 794088000.123457, 1e-6);
  EXPECT_EQ(*coding::decodeFile(file), batch);

  SignalPostBody empty = record(4);
  empty.payload = Payload();
  EXPECT_TRUE(coding::encode({empty}, coding::DateForm::wire)->contains("\"payload\":{}"));
  EXPECT_FALSE(coding::encode({record(5, std::numeric_limits<double>::infinity())}, coding::DateForm::file));

  // Insertion order does not matter; a record lacking a required member is left out.
  EXPECT_EQ(Payload::fromMap({{"a", "1"}, {"b", "2"}}), Payload::fromMap({{"b", "2"}, {"a", "1"}}));
  QJsonArray broken = QJsonDocument::fromJson(file).array();
  QJsonObject noType = broken[1].toObject();
  noType.remove("type");
  broken[1] = noType;
  int skipped = 0;
  EXPECT_EQ(numbers(*coding::decodeFile(QJsonDocument(broken).toJson(), &skipped)), (std::vector<int>{1, 3}));
  EXPECT_EQ(skipped, 1);
}

// Plain digits, the shortest that read back, a whole number with ".0"; the
// exponent only far out of the range of durations and screen sizes.
TEST(AnalyticsCache, DecimalTextIsTheShortestThatReadsBack) {
  for (const auto& [value, text] : std::vector<std::pair<double, QString>>{
           {3, "3.0"},           {2.5, "2.5"},         {0.123, "0.123"},     {0, "0.0"},
           {-0.001, "-0.001"},   {59.999, "59.999"},   {100000, "100000.0"}, {1234567.125, "1234567.125"},
           {86400.5, "86400.5"}, {-250000, "-250000.0"}, {0.0001, "0.0001"},   {1e15, "1000000000000000.0"},
           {0.1 + 0.2, "0.30000000000000004"}, {1e16, "1e+16"}, {1e21, "1e+21"}, {0.00001, "1e-05"}}) {
    EXPECT_EQ(analytics::decimalText(value), text) << text.toStdString();
  }
  // Whatever the value, the text reads back as it; only "." and digits (and an exponent) in it.
  std::mt19937_64 random(22);
  for (int i = 0; i < 20000; ++i) {
    const double value = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random), int(random() % 120) - 40);
    const QString text = analytics::decimalText(value);
    EXPECT_EQ(text.toDouble(), value) << text.toStdString();
    EXPECT_TRUE(QRegularExpression("^-?[0-9]+(\\.[0-9]+|(\\.[0-9]+)?e[-+][0-9]+)$").match(text).hasMatch()) << text.toStdString();
  }
}

// Payloads share their common part; the saving is what makes 10,000 records affordable.
TEST(AnalyticsCache, PayloadsShareTheirCommonEntries) {
  Payload::Base base;
  Payload::Entries full;
  for (int i = 0; i < 60; ++i) full.emplace_back(QString("key%1").arg(i, 2, 10, QChar('0')), "value");
  const Payload a = Payload::compact(full, base);
  full[5].second = "changed";
  full.emplace_back("zz", "added");
  const Payload b = Payload::compact(full, base);
  EXPECT_EQ(base.use_count(), 3);
  EXPECT_EQ(b.value("key05"), "changed");
  EXPECT_EQ(b.value("zz"), "added");
  EXPECT_EQ(a.value("key05"), "value");
  EXPECT_EQ(b.size(), 61);
  full.erase(full.begin());  // a key the base has is missing: a new base
  const Payload c = Payload::compact(full, base);
  EXPECT_EQ(c.size(), 60);
  EXPECT_FALSE(c.value("key00"));
  EXPECT_EQ(base.use_count(), 2);
}

// A file where the cache's folder goes is no other process: it is said so.
TEST(AnalyticsCache, AFileInPlaceOfTheFolderIsNotTakenForAnotherOwner) {
  const QString path = cachePath("blocked") + "/analyticssignalcache";
  QDir().mkpath(QFileInfo(cachePath("blocked")).path());
  QFile(cachePath("blocked")).open(QIODevice::WriteOnly);
  rig::Log log;
  CacheFile file(path, log.handler());
  EXPECT_FALSE(file.claim());
  EXPECT_TRUE(log.find("in use by another process").isEmpty());
  EXPECT_EQ(log.find("cannot be made", true).size(), 1);
}

TEST(AnalyticsCache, FileRoundTripAndOneOwnerAtATime) {
  const QString path = cachePath("roundtrip");
  rig::Log log;
  {
    CacheFile file(path, log.handler());
    ASSERT_TRUE(file.claim());
    EXPECT_TRUE(file.load().empty());
    CacheFile second(path, std::nullopt);
    EXPECT_FALSE(second.claim());
    ASSERT_TRUE(file.save(records(0, 3), analytics::LogLevel::info));
  }
  EXPECT_FALSE(log.find("Saved Telemetry cache").isEmpty());
  CacheFile again(path, log.handler());
  ASSERT_TRUE(again.claim());
  EXPECT_EQ(again.load(), records(0, 3));
  EXPECT_EQ(log.find("Loaded 3 signals").size(), 1);
  EXPECT_TRUE(QFile::exists(path)) << "kept until its signals are accepted";
  again.save({});
  EXPECT_FALSE(QFile::exists(path));
}

// Whatever lies at the path, loading ends with no crash or hang, and never yields a record that was not written.
TEST(AnalyticsCache, CorruptFilesAndADirectoryGiveAnEmptyCache) {
  const QString path = cachePath("corrupt");
  const Batch original = records(0, 20);
  const QByteArray good = *coding::encode(original, coding::DateForm::file);
  std::mt19937 random(7);
  rig::Log log;
  CacheFile file(path, log.handler());
  ASSERT_TRUE(file.claim());
  for (int i = 0; i < 300; ++i) {
    QByteArray bytes = good;
    switch (i % 3) {
      case 0:  // truncated
        bytes.truncate(int(random() % size_t(good.size())));
        break;
      case 1:  // bytes flipped
        for (int k = 0; k < 5; ++k) bytes[int(random() % size_t(bytes.size()))] = char(random());
        break;
      default:  // noise
        bytes = QByteArray(int(random() % 4000), '\0');
        for (char& c : bytes) c = char(random());
    }
    {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(bytes);
    }
    for (const SignalPostBody& r : file.load()) {
      const bool known = std::any_of(original.begin(), original.end(), [&](const auto& o) { return o.receivedAt == r.receivedAt; });
      EXPECT_TRUE(known || i % 3 == 1) << i;
    }
    if (i % 3 == 0) {
      EXPECT_FALSE(QFile::exists(path)) << "a file that is no cache goes";
    }
  }
  QFile::remove(path);
  ASSERT_TRUE(QDir().mkpath(path));
  EXPECT_TRUE(file.load().empty());
  EXPECT_FALSE(file.save(records(0, 2)));
  EXPECT_FALSE(log.find("Error saving Telemetry cache", true).isEmpty());
}

// Killed at any moment while saving, the file stays whole: the old or the new one.
TEST(AnalyticsCache, AProcessKilledWhileSavingLeavesAWholeFile) {
  ASSERT_TRUE(registered);
  const QString path = cachePath("killed");
  std::mt19937 random(11);
  int whole = 0;
  for (int round = 0; round < 20; ++round) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--child", "saver"});
    ASSERT_TRUE(child.waitForStarted());
    testenv::pump(20 + int(random() % 150));
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished();
    ASSERT_EQ(testenv::ending(child), "signal 9") << "the saver never ends on its own";
    CacheFile file(path, std::nullopt);
    if (!file.claim()) {
      // Killed between creating its lock file and writing its pid: the lock
      // names nobody, and is taken over once older than a write could be.
      qint64 pid = 0;
      QString host, app;
      EXPECT_FALSE(QLockFile(path + ".lock").getLockInfo(&pid, &host, &app)) << "a lock naming its dead owner is taken at once";
      QThread::msleep(1100);
      ASSERT_TRUE(file.claim()) << "a half-written lock of a killed owner is taken over";
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) continue;  // killed before the first save
    const auto loaded = coding::decodeFile(f.readAll());
    ASSERT_TRUE(loaded) << "round " << round;
    EXPECT_TRUE(loaded->size() == 700 || loaded->size() == 1500) << loaded->size();
    ++whole;
  }
  EXPECT_GE(whole, 10) << "most rounds were killed after a save";
}
