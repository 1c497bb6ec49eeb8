#include <gtest/gtest.h>

#include <QWidget>
#include <condition_variable>
#include <deque>
#include <limits>
#include <stdexcept>

#include "analytics/Analytics.h"
#include "analytics/AppLifecycle.h"
#include "analytics/ClientStore.h"
#include "analytics/DurationSignals.h"
#include "analytics/PresetSignals.h"
#include "analytics/Purchases.h"
#include "analytics/TrialConversionTracker.h"
#include "tests/analytics/Rig.h"

using namespace rig;
using analytics::Parameters;
using analytics::Transaction;
namespace Analytics = analytics::Analytics;

namespace {

// A client on a manual clock whose signals the test reads back.
struct Periphery : ::testing::Test {
  std::shared_ptr<ManualScheduler> clock = std::make_shared<ManualScheduler>();
  Log log;
  void SetUp() override {
    const auto config = startClient(clock, "PERIPHERY", "http://127.0.0.1:9/", testenv::scratch() + "/periphery", log.handler(clock));
    config->sessionStatsEnabled.set(false);
    config->sendNewSessionBeganSignal.set(false);
  }
  void TearDown() override {
    analytics::AppLifecycle::instance().setActive(true);
    Analytics::terminate();
  }
  // The signals since the last call.
  std::vector<analytics::SignalPostBody> take() {
    auto& manager = analytics::AnalyticsManager::shared()->signalManager();
    auto all = manager.pendingSignals();
    std::vector<analytics::SignalPostBody> fresh(all.begin() + std::ptrdiff_t(seen_), all.end());
    seen_ = all.size();
    return fresh;
  }
  size_t seen_ = 0;
};

// The update stream a store would give, fed by the test.
struct ScriptedUpdates : analytics::TransactionUpdates {
  std::mutex mutex;
  std::condition_variable_any changed;
  std::deque<Update> queue;
  bool waiting = false;
  std::optional<Update> next(std::stop_token stop) override {
    std::unique_lock lock(mutex);
    waiting = true;
    changed.notify_all();
    const bool got = changed.wait(lock, stop, [&] { return !queue.empty(); });
    waiting = false;
    if (!got) return std::nullopt;
    Update u = queue.front();
    queue.pop_front();
    changed.notify_all();
    return u;
  }
  bool isWaiting() {
    std::lock_guard lock(mutex);
    return waiting;
  }
  // Hands over one update and waits until it was taken and, unless it ends
  // the watch, dealt with.
  void push(const Transaction& t, bool verified = true, bool watchGoesOn = true) {
    std::unique_lock lock(mutex);
    queue.push_back({t, verified});
    changed.notify_all();
    changed.wait_for(lock, 10s, [&] { return queue.empty() && (waiting || !watchGoesOn); });
  }
};

Transaction trial(const QString& product = "pro.monthly", quint64 original = 7) {
  Transaction t;
  t.productID = product;
  t.originalID = original;
  t.productType = Transaction::ProductType::autoRenewable;
  t.offerType = Transaction::OfferType::introductory;
  t.offerPaymentMode = Transaction::PaymentMode::freeTrial;
  t.price = 0;
  t.currency = QString("EUR");
  t.storefrontCountryCode = "DEU";
  t.subscriptionGroupID = QString("group");
  return t;
}

Transaction paid(Transaction t) {
  t.offerType.reset();
  t.offerPaymentMode.reset();
  t.price = 9.99;
  return t;
}

// Navigation through shown widgets, in a process of its own: the first of a run has no source.
int navigationChild() {
  startClient(std::make_shared<ManualScheduler>(), "NAV", "http://127.0.0.1:9/", {}, std::nullopt);
  QWidget home, settings;
  analytics::trackNavigation(&home, "home");
  analytics::trackNavigation(&settings, "settings");
  home.show();
  settings.show();
  settings.hide();
  settings.show();
  for (const auto& r : analytics::AnalyticsManager::shared()->signalManager().pendingSignals()) {
    std::printf("%s|%s\n", qPrintable(*r.payload.value("Analytics.Navigation.identifier")),
                qPrintable(*r.payload.value("Analytics.Navigation.sourcePath")));
  }
  return 0;
}

const bool registered = (testenv::registerChild("navigation", navigationChild), true);

}  // namespace

// Inactive time comes off at re-activation only; the last parameters win.
TEST_F(Periphery, DurationSignals) {
  enum Op { start, startKeepingBackground, stop, cancel, resign, activate, wait };
  struct Step {
    Op op;
    QString name = {};
    Parameters parameters = {};
    double seconds = 0;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    QStringList sent;  // "name duration key=value..." of the caller's keys
  };
  const Case cases[] = {
      {"unknown stop", {{stop, "a"}}, {}},
      {"stop's parameters over start's",
       {{start, "a", {{"k", "start"}, {"s", "1"}}}, {wait, {}, {}, 2.5}, {stop, "a", {{"k", "stop"}}}},
       {"a 2.5 k=stop s=1"}},
      {"second start measures from itself, its parameters only",
       {{start, "a", {{"x", "1"}}}, {wait, {}, {}, 5}, {start, "a", {{"y", "2"}}}, {wait, {}, {}, 3}, {stop, "a"}},
       {"a 3.0 y=2"}},
      {"cancelled", {{start, "a"}, {cancel, "a"}, {stop, "a"}}, {}},
      {"stopped while still inactive keeps the inactive time",
       {{start, "a"}, {wait, {}, {}, 1}, {resign}, {wait, {}, {}, 10}, {stop, "a"}}, {"a 11.0"}},
      {"inactive time removed at re-activation unless kept",
       {{start, "a"}, {startKeepingBackground, "b"}, {wait, {}, {}, 2}, {resign}, {wait, {}, {}, 10}, {activate},
        {wait, {}, {}, 1}, {stop, "a"}, {stop, "b"}},
       {"a 3.0", "b 13.0"}},
      {"started while inactive: the whole span comes off",
       {{resign}, {wait, {}, {}, 5}, {start, "a"}, {wait, {}, {}, 0.5}, {activate}, {stop, "a"}}, {"a -5.0"}},
      {"a start parameter replaces the measured value",
       {{start, "a", {{"Analytics.Signal.durationInSeconds", "x"}}}, {wait, {}, {}, 1}, {stop, "a"}}, {"a x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const Step& s : c.steps) {
      switch (s.op) {
        case start:
        case startKeepingBackground:
          Analytics::startDurationSignal(s.name, s.parameters, s.op == startKeepingBackground);
          break;
        case stop:
          Analytics::stopAndSendDurationSignal(s.name, s.parameters);
          break;
        case cancel:
          Analytics::cancelDurationSignal(s.name);
          break;
        case resign:
        case activate:
          analytics::AppLifecycle::instance().setActive(s.op == activate);
          break;
        case wait:
          clock->advance(analytics::seconds(s.seconds));
          break;
      }
    }
    QStringList sent;
    for (const auto& r : take()) {
      QString line = r.type + " " + *r.payload.value("Analytics.Signal.durationInSeconds");
      for (const char* key : {"k", "s", "x", "y"}) {
        if (const auto v = r.payload.value(key)) line += QString(" %1=%2").arg(key, *v);
      }
      sent << line;
    }
    EXPECT_EQ(sent, c.sent);
    analytics::AppLifecycle::instance().setActive(true);
  }
  for (const auto& [seconds, text] : std::vector<std::pair<double, QString>>{
           {0.0004, "0.0"}, {59.9999, "59.999"}, {0.1234, "0.123"}, {3, "3.0"}, {-0.0005, "-0.001"},
           {100000, "100000.0"}, {100000.0004, "100000.0"}, {3600.25, "3600.25"}}) {
    EXPECT_EQ(analytics::durationText(seconds), text) << seconds;
  }
}

// Beyond the bound the oldest timer goes, with a log line.
TEST_F(Periphery, RunningTimersAreBounded) {
  for (size_t i = 0; i <= analytics::DurationSignalTracker::kMaxTimers; ++i) Analytics::startDurationSignal(QString("t%1").arg(i));
  EXPECT_EQ(log.find("dropped the oldest, 't0'", true).size(), 1);
  Analytics::stopAndSendDurationSignal("t0");
  Analytics::stopAndSendDurationSignal("t1");
  ASSERT_EQ(take().size(), 1u);
  for (size_t i = 2; i <= analytics::DurationSignalTracker::kMaxTimers; ++i) Analytics::cancelDurationSignal(QString("t%1").arg(i));
}

TEST_F(Periphery, PresetSignals) {
  struct Case {
    std::function<void()> send;
    QString type;
    Parameters payload;  // the preset's keys and the caller's "extra"
    std::optional<double> floatValue = std::nullopt;
  };
  const Parameters extra{{"extra", "1"}};
  const Case cases[] = {
      {[&] { Analytics::acquiredUser("ads", {{"Analytics.Acquisition.channel", "mine"}}); },
       "Analytics.Acquisition.userAcquired", {{"Analytics.Acquisition.channel", "mine"}}},
      {[&] { Analytics::leadStarted("L1", extra); }, "Analytics.Acquisition.leadStarted", {{"Analytics.Acquisition.leadID", "L1"}, {"extra", "1"}}},
      {[&] { Analytics::leadConverted("L1"); }, "Analytics.Acquisition.leadConverted", {{"Analytics.Acquisition.leadID", "L1"}}},
      {[&] { Analytics::onboardingCompleted(extra); }, "Analytics.Activation.onboardingCompleted", {{"extra", "1"}}},
      {[&] { Analytics::coreFeatureUsed("scan"); }, "Analytics.Activation.coreFeatureUsed", {{"Analytics.Activation.featureName", "scan"}}},
      {[&] { Analytics::referralSent(3); }, "Analytics.Referral.sent", {{"Analytics.Referral.receiversCount", "3"}}},
      {[&] { Analytics::referralSent(3, QString("")); }, "Analytics.Referral.sent",
       {{"Analytics.Referral.receiversCount", "3"}, {"Analytics.Referral.kind", ""}}},
      {[&] { Analytics::userRatingSubmitted(0, QString("ok")); }, "Analytics.Referral.userRatingSubmitted",
       {{"Analytics.Referral.ratingValue", "0"}, {"Analytics.Referral.ratingComment", "ok"}}},
      {[&] { Analytics::userRatingSubmitted(10); }, "Analytics.Referral.userRatingSubmitted", {{"Analytics.Referral.ratingValue", "10"}}},
      {[&] { Analytics::paywallShown("limit"); }, "Analytics.Revenue.paywallShown", {{"Analytics.Revenue.paywallShowReason", "limit"}}},
      {[&] { Analytics::errorOccurred("E1", std::nullopt, std::nullopt, extra); }, "Analytics.Error.occurred",
       {{"Analytics.Error.id", "E1"}, {"extra", "1"}}},
      {[&] { Analytics::errorOccurred("E1", analytics::ErrorCategory::userInput, QString("bad"), {}, 2.5); },
       "Analytics.Error.occurred",
       {{"Analytics.Error.id", "E1"}, {"Analytics.Error.category", "user-input"}, {"Analytics.Error.message", "bad"}}, 2.5},
      {[&] { Analytics::errorOccurred(analytics::withID(std::runtime_error("boom"), "E2"), analytics::ErrorCategory::appState); },
       "Analytics.Error.occurred",
       {{"Analytics.Error.id", "E2"}, {"Analytics.Error.category", "app-state"}, {"Analytics.Error.message", "boom"}}},
      {[&] {
         Analytics::errorOccurred(analytics::withID(std::runtime_error("boom"), "E3"),
                                  analytics::ErrorCategory::thrownException, std::optional<QString>());
       },
       "Analytics.Error.occurred", {{"Analytics.Error.id", "E3"}, {"Analytics.Error.category", "thrown-exception"}}},
      {[&] { Analytics::navigate(QString("a"), QString("b")); }, "Analytics.Navigation.pathChanged",
       {{"Analytics.Navigation.schemaVersion", "1"}, {"Analytics.Navigation.identifier", "a -> b"},
        {"Analytics.Navigation.sourcePath", "a"}, {"Analytics.Navigation.destinationPath", "b"}}},
  };
  // The keys every signal carries, to tell the preset's own from them.
  Analytics::internalSignal("reference");
  QSet<QString> defaults;
  for (const auto& [key, value] : take()[0].payload.entries()) defaults.insert(key);
  for (const Case& c : cases) {
    c.send();
    const auto sent = take();
    ASSERT_EQ(sent.size(), 1u) << c.type.toStdString();
    EXPECT_EQ(sent[0].type, c.type);
    EXPECT_EQ(sent[0].floatValue, c.floatValue);
    Parameters own;
    for (const auto& [key, value] : sent[0].payload.entries()) {
      if (!defaults.contains(key)) own.insert(key, value);
    }
    EXPECT_EQ(own, c.payload) << c.type.toStdString();
  }
  Analytics::userRatingSubmitted(-1);
  Analytics::userRatingSubmitted(11);
  EXPECT_TRUE(take().empty());
  EXPECT_EQ(log.find("Rating must be between 0 and 10", true).size(), 2);
  EXPECT_EQ(analytics::errorCategoryFromRaw("app-state"), analytics::ErrorCategory::appState);
  EXPECT_FALSE(analytics::errorCategoryFromRaw("App-State"));
}

TEST(AnalyticsNavigation, ShownWidgetsReportTheirPathTheFirstFromNowhere) {
  ASSERT_TRUE(registered);
  const auto child = testenv::runChild("navigation");
  ASSERT_EQ(child.exitCode, 0);
  EXPECT_EQ(child.out, " -> home|\nhome -> settings|home\nsettings -> settings|settings\n");
}

TEST_F(Periphery, PriceInDollars) {
  EXPECT_EQ(analytics::exchangeRateCount(), 161);
  EXPECT_EQ(analytics::oneUSDExchangeRate("JPY"), 152.3479);
  EXPECT_EQ(analytics::oneUSDExchangeRate("LBP"), 89500.0);
  EXPECT_FALSE(analytics::oneUSDExchangeRate("USD"));
  EXPECT_FALSE(analytics::oneUSDExchangeRate("eur"));
  Transaction t = paid(trial());
  t.productType = Transaction::ProductType::nonConsumable;
  t.subscriptionGroupID.reset();
  t.price = 4.99;
  for (const auto& [currency, dollars] : std::vector<std::pair<std::optional<QString>, double>>{
           {QString("EUR"), 4.99 / 0.9533}, {QString("USD"), 4.99}, {QString("XYZ"), 0}, {std::nullopt, 0}}) {
    t.currency = currency;
    EXPECT_DOUBLE_EQ(t.priceInUSD(), dollars) << currency.value_or("none").toStdString();
  }
  t.currency = QString("EUR");
  Analytics::purchaseCompleted(t, {{"extra", "1"}});
  const auto sent = take();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, "Analytics.Purchase.completed");
  EXPECT_DOUBLE_EQ(*sent[0].floatValue, 4.99 / 0.9533);
  QStringList got;
  for (const char* key : {"Analytics.Purchase.type", "Analytics.Purchase.currencyCode", "Analytics.Purchase.countryCode",
                          "Analytics.Purchase.productID", "extra"}) {
    got << sent[0].payload.value(key).value_or("-");
  }
  EXPECT_EQ(got, (QStringList{"one-time-purchase", "EUR", "DEU", "pro.monthly", "1"}));
  // An introductory offer with a price is a purchase, not a trial.
  Transaction intro = trial();
  intro.price = 1.99;
  Analytics::purchaseCompleted(intro);
  EXPECT_EQ(take()[0].type, "Analytics.Purchase.completed");
}

// A trial from its start to its end, with the stream a store would give.
TEST_F(Periphery, TrialConversion) {
  const auto updates = std::make_shared<ScriptedUpdates>();
  analytics::TrialConversionTracker::setTransactionUpdates(updates);
  using Tracker = analytics::TrialConversionTracker;
  const auto stored = [] {
    const auto t = Tracker::currentTrial();
    return t ? t->productID + "#" + QString::number(t->originalTransactionID) : QString("none");
  };

  Analytics::purchaseCompleted(trial());
  auto sent = take();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, "Analytics.Purchase.freeTrialStarted");
  EXPECT_FALSE(sent[0].floatValue);
  EXPECT_EQ(stored(), "pro.monthly#7");
  Tracker& tracker = Tracker::shared();
  ASSERT_TRUE(testenv::waitUntil([&] { return updates->isWaiting(); }, 10000));

  updates->push(paid(trial("other.product")));
  updates->push(paid(trial("pro.monthly", 8)));
  updates->push(paid(trial()), false);  // unverified
  updates->push(trial());               // still in its trial
  EXPECT_TRUE(take().empty());
  EXPECT_EQ(stored(), "pro.monthly#7");

  updates->push(paid(trial()), true, false);
  ASSERT_TRUE(testenv::waitUntil([&] { return !tracker.observing(); }, 10000));
  sent = take();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, "Analytics.Purchase.convertedFromTrial");
  EXPECT_DOUBLE_EQ(*sent[0].floatValue, 9.99 / 0.9533);
  EXPECT_FALSE(sent[0].payload.value("extra"));
  EXPECT_EQ(stored(), "none");

  // Revoked, expired or upgraded: the trial ends without a signal.
  const std::vector<std::function<void(Transaction&)>> endings{
      [](Transaction& t) { t.revocationDate = start(); },
      [](Transaction& t) { t.expirationDate = start() - 1s; },
      [](Transaction& t) { t.isUpgraded = true; },
  };
  for (const auto& end : endings) {
    Tracker::setCurrentTrial(Tracker::StoredTrial{"pro.monthly", 7});
    tracker.startObservingTransactions();
    Transaction t = paid(trial());
    end(t);
    updates->push(t, true, false);
    ASSERT_TRUE(testenv::waitUntil([&] { return !tracker.observing(); }, 10000));
    EXPECT_EQ(stored(), "none");
    EXPECT_TRUE(take().empty());
  }

  // A watch waiting for the next update ends when it is stopped.
  Tracker::setCurrentTrial(Tracker::StoredTrial{"pro.monthly", 7});
  tracker.startObservingTransactions();
  ASSERT_TRUE(testenv::waitUntil([&] { return updates->isWaiting(); }, 10000));
  tracker.stopObserving();
  EXPECT_FALSE(tracker.observing());
  analytics::TrialConversionTracker::setTransactionUpdates(nullptr);
}

// Store identifiers run past 2^53, where doubles skip integers: the stored
// trial keeps its identifier whole and matches only its own updates.
TEST_F(Periphery, TrialIdentifiersBeyondWhatADoubleHolds) {
  using Tracker = analytics::TrialConversionTracker;
  const quint64 big = (quint64(1) << 53) + 1;  // as a double, the same as 2^53
  for (const quint64 id : {big, std::numeric_limits<quint64>::max()}) {
    Tracker::setCurrentTrial(Tracker::StoredTrial{"pro.monthly", id});
    ASSERT_TRUE(Tracker::currentTrial());
    EXPECT_EQ(Tracker::currentTrial()->originalTransactionID, id);
  }
  // A record of an earlier version holds a JSON number.
  Analytics::customDefaults()->setValue("lastTrial", QJsonObject{{"productID", "pro.monthly"}, {"originalTransactionID", qint64(big)}});
  ASSERT_TRUE(Tracker::currentTrial());
  EXPECT_EQ(Tracker::currentTrial()->originalTransactionID, big);

  const auto updates = std::make_shared<ScriptedUpdates>();
  Tracker tracker(updates);
  Tracker::setCurrentTrial(Tracker::StoredTrial{"pro.monthly", big});
  tracker.startObservingTransactions();
  ASSERT_TRUE(testenv::waitUntil([&] { return updates->isWaiting(); }, 10000));
  updates->push(paid(trial("pro.monthly", big - 1)));
  EXPECT_TRUE(take().empty());
  updates->push(paid(trial("pro.monthly", big)), true, false);
  ASSERT_TRUE(testenv::waitUntil([&] { return !tracker.observing(); }, 10000));
  const auto sent = take();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, "Analytics.Purchase.convertedFromTrial");
}
