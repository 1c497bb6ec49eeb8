#include "app/AnalyticsAdapter.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>

#include "analytics/Analytics.h"
#include "analytics/CacheFile.h"
#include "analytics/SystemFacts.h"
#include "net/HttpClient.h"
#include "platform/Appearance.h"

Q_LOGGING_CATEGORY(lcAnalyticsAdapter, "tarvok.app.analytics", QtInfoMsg)

namespace {
AnalyticsAdapter* current = nullptr;
}

AnalyticsAdapter::AnalyticsAdapter(QObject* parent) : QObject(parent) {
  net::initializeGlobal();
  current = this;
  if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    connect(gui, &QGuiApplication::primaryScreenChanged, this, &AnalyticsAdapter::refreshHostFacts);
    connect(gui, &QGuiApplication::layoutDirectionChanged, this, &AnalyticsAdapter::refreshHostFacts);
  }
  connect(&Appearance::notifier(), &Appearance::Notifier::changed, this, &AnalyticsAdapter::refreshHostFacts);
}

AnalyticsAdapter::~AnalyticsAdapter() {
  if (current == this) current = nullptr;
  if (active_) analytics::Analytics::terminate();
}

AnalyticsAdapter* AnalyticsAdapter::installed() { return current; }

void AnalyticsAdapter::initialize(const reporting::AnalyticsConfig& config) {
  if (!config.baseURL || config.baseURL->isEmpty()) {
    if (!toldNoAddress_) {
      qCInfo(lcAnalyticsAdapter) << "analytics stays off: Info.json names an app ID but no \"TQTelemetryURL\"";
      toldNoAddress_ = true;
    }
    return;
  }
  auto configuration = analytics::AnalyticsManagerConfiguration::make(config.appID, config.salt, config.baseURL, config.ns);
  configuration->setTestMode(config.testMode);
  refreshHostFacts();
  analytics::Analytics::initialize(configuration);
  active_ = true;
}

void AnalyticsAdapter::signal(const QString& name, const reporting::Params& params) {
  if (active_) analytics::Analytics::signal(name, params);
}

void AnalyticsAdapter::stopAndDiscard() {
  if (const auto manager = analytics::AnalyticsManager::shared()) {
    manager->signalManager().discardAll();
    return;
  }
  // Not running in this process: a file a former run left goes all the same.
  analytics::CacheFile file(analytics::CacheFile::defaultPath(), std::nullopt);
  if (file.claim()) file.remove();
}

AnalyticsAdapter::Delivery AnalyticsAdapter::deliver(int ms) {
  const auto manager = analytics::AnalyticsManager::shared();
  if (!active_ || !manager) return {false, QStringLiteral("no client")};
  const auto outcome = manager->signalManager().sendNow(std::chrono::milliseconds(ms));
  return {outcome.delivered, outcome.detail};
}

void AnalyticsAdapter::refreshHostFacts() {
  analytics::HostFacts facts;
  facts.appVersion = QStringLiteral(TARVOK_VERSION);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    facts.screenSize = QSizeF(screen->geometry().size());
    facts.screenScale = screen->devicePixelRatio();
  }
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    facts.colorScheme = Appearance::isDark() ? QStringLiteral("Dark") : QStringLiteral("Light");
    facts.layoutDirection = QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rightToLeft")
                                                                                  : QStringLiteral("leftToRight");
  }
  analytics::HostFacts::set(facts);
}
