#include <gtest/gtest.h>

#include <QJsonArray>

#include "analytics/SessionManager.h"
#include "tests/analytics/Rig.h"

using namespace rig;
using analytics::ClientStore;
using analytics::SessionManager;

namespace {

struct Sessions {
  std::shared_ptr<ManualScheduler> clock = std::make_shared<ManualScheduler>();
  std::shared_ptr<ClientStore> store;
  QStringList sent;  // name and "key=value" parameters of every signal
  std::unique_ptr<SessionManager> manager;

  explicit Sessions(const QString& name, const QJsonObject& stored = {}) {
    store = std::make_shared<ClientStore>(testenv::scratch() + "/sessions/" + name + ".json");
    for (auto it = stored.begin(); it != stored.end(); ++it) store->setValue(it.key(), it.value());
    relaunch();
  }
  void relaunch() {
    manager.reset();
    manager = std::make_unique<SessionManager>(store, clock, [this](const QString& n, const analytics::Parameters& p) {
      QStringList params;
      for (auto it = p.begin(); it != p.end(); ++it) params << it.key() + '=' + it.value();
      sent << n + " " + params.join(',');
    });
    clock->advance();
  }
  std::vector<int> durations() const {
    std::vector<int> out;
    for (const QJsonValue& v : store->value("recentSessions").toArray()) out.push_back(v.toObject()["dn"].toInt());
    return out;
  }
  QString today() const { return analytics::DefaultSignalPayload::localDay(clock->now()); }
};

QJsonArray history(std::initializer_list<std::pair<qint64, int>> sessions) {
  QJsonArray a;
  for (const auto& [st, dn] : sessions) a.append(QJsonObject{{"st", st}, {"dn", dn}});
  return a;
}

const qint64 kNow = 1772395200;  // rig::start()
const qint64 kDay = 86400;

}  // namespace

// Only active time counts, whole seconds, a record from the first full second on.
TEST(AnalyticsSessions, DurationsCountActiveTimeOnly) {
  enum Step { start, resign, activate, quit };
  struct Case {
    const char* name;
    std::vector<std::variant<Step, double>> steps;
    std::vector<int> stored;
  };
  const Case cases[] = {
      {"shorter than a second", {start, 0.9, quit}, {}},
      {"a second and a half", {start, 1.5, quit}, {1}},
      {"inactive time left out", {start, 10.0, resign, 100.0, activate, 5.0, quit}, {15}},
      {"two sessions in one run", {start, 3.0, start, 4.0, quit}, {3, 4}},
      {"a running session is written every minute", {start, 125.0}, {120}},
  };
  int i = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sessions s(QString("durations-%1").arg(i++));
    for (const auto& step : c.steps) {
      if (const double* secs = std::get_if<double>(&step)) {
        s.clock->advance(analytics::seconds(*secs));
        continue;
      }
      switch (std::get<Step>(step)) {
        case start:
          s.manager->startNewSession();
          break;
        case resign:
          s.manager->didResignActive();
          break;
        case activate:
          s.manager->willBecomeActive();
          break;
        case quit:
          s.manager->willTerminate();
          break;
      }
      s.clock->advance();
    }
    EXPECT_EQ(s.durations(), c.stored);
  }
}

// A new install is one without a stored first day, whatever the history says.
TEST(AnalyticsSessions, NewInstallAndPruning) {
  Sessions fresh("fresh");
  fresh.manager->startNewSession();
  EXPECT_EQ(fresh.sent, QStringList{"Analytics.Acquisition.newInstallDetected Analytics.Acquisition.firstSessionDate=" +
                                    fresh.today()});
  EXPECT_EQ(fresh.store->value("firstSessionDate").toString(), fresh.today());
  fresh.relaunch();
  fresh.manager->startNewSession();
  EXPECT_EQ(fresh.sent.size(), 1);

  // Back after 100 days: old sessions pruned and counted, but no new install.
  Sessions back("back", {{"firstSessionDate", "2025-01-01"},
                         {"deletedSessionsCount", 5},
                         {"recentSessions", history({{kNow - 100 * kDay, 10}, {kNow - 90 * kDay, 20}, {kNow - 89 * kDay, 30}})}});
  EXPECT_EQ(back.durations(), std::vector<int>{30});
  EXPECT_EQ(back.store->value("deletedSessionsCount").toInt(), 7);
  EXPECT_EQ(back.manager->totalSessionsCount(), 8);
  back.manager->startNewSession();
  EXPECT_TRUE(back.sent.isEmpty());

  Sessions noDate("no-date", {{"recentSessions", history({{kNow - kDay, 10}})}});
  noDate.manager->startNewSession();
  EXPECT_EQ(noDate.sent.size(), 1);
}

TEST(AnalyticsSessions, AverageAndPreviousSession) {
  struct Case {
    QJsonArray sessions;
    int average;
    std::optional<int> previous;
  };
  const Case cases[] = {
      {history({{kNow - 30, 10}, {kNow - 20, 20}, {kNow - 10, 99}}), 15, 20},
      {history({{kNow - 20, 10}, {kNow - 10, 15}}), 10, 10},
      {history({{kNow - 10, 7}}), 7, std::nullopt},
      {QJsonArray(), -1, std::nullopt},
  };
  int i = 0;
  for (const Case& c : cases) {
    Sessions s(QString("average-%1").arg(i++), {{"recentSessions", c.sessions}, {"firstSessionDate", "2026-01-01"}});
    const analytics::Retention r = s.manager->retention();
    EXPECT_EQ(r.averageSessionSeconds, c.average);
    EXPECT_EQ(r.previousSessionSeconds, c.previous);
    EXPECT_EQ(r.totalSessionsCount, c.sessions.size());
  }
}

// One entry per day of use: a second launch on the day adds nothing, a run across midnight adds the new day then.
TEST(AnalyticsSessions, DaysOfUse) {
  Sessions s("days");
  const QString first = s.today();
  s.relaunch();
  EXPECT_EQ(s.manager->distinctDaysUsed(), QStringList{first});
  s.manager->startNewSession();
  const QDateTime local = QDateTime::fromSecsSinceEpoch(kNow, Qt::LocalTime);
  const qint64 toMidnight = local.secsTo(QDateTime(local.date().addDays(1), QTime(0, 0), Qt::LocalTime));
  s.clock->advance(std::chrono::seconds(toMidnight + 5));
  EXPECT_EQ(s.manager->distinctDaysUsed(), (QStringList{first, s.today()}));
  EXPECT_EQ(s.store->value("distinctDaysUsed").toArray().size(), 2);
  EXPECT_EQ(SessionManager::countISODatesOnOrAfter({"2026-01-30", "2026-01-31", "2026-03-02"}, "2026-01-31"), 2);
}

// An hour of use writes the store about once a minute, not once a second.
TEST(AnalyticsSessions, HistoryIsWrittenAtChangesNotEverySecond) {
  Sessions s("writes");
  s.manager->startNewSession();
  const int before = s.store->writeCount();
  s.clock->advance(std::chrono::hours(1));
  EXPECT_LE(s.store->writeCount() - before, 61);
  EXPECT_EQ(s.durations(), std::vector<int>{3600});
}
