#include "analytics/Analytics.h"


namespace analytics::Analytics {

namespace {

const QString kReservedPrefix = QStringLiteral("analytics.");

// Keys that begin with "Analytics." stay as they are; others get the prefix.
Parameters withKeyPrefix(const Parameters& parameters, const std::optional<QString>& prefix) {
  if (!prefix || prefix->isEmpty()) return parameters;
  Parameters out;
  for (auto it = parameters.begin(); it != parameters.end(); ++it) {
    out.insert(it.key().startsWith(QLatin1String("Analytics.")) ? it.key() : *prefix + it.key(), it.value());
  }
  return out;
}

void warnAboutKeys(const AnalyticsManagerConfiguration& config, const Parameters& parameters) {
  for (auto it = parameters.begin(); it != parameters.end(); ++it) {
    const QString lower = it.key().toLower();
    if (lower.startsWith(kReservedPrefix)) {
      config.log(LogLevel::error, QStringLiteral("Sending parameter with reserved key prefix 'Analytics.' will cause "
                                                 "unexpected behavior. Please use another prefix instead."));
    } else if (reservedKeysLowercased().contains(lower)) {
      config.log(LogLevel::error, QStringLiteral("Sending parameter with reserved key '%1' will cause unexpected "
                                                 "behavior. Please use another key instead.")
                                      .arg(it.key()));
    }
  }
}

// The running client when signals may flow.
std::shared_ptr<AnalyticsManager> openManager(ConfigurationPtr& config) {
  std::shared_ptr<AnalyticsManager> manager = AnalyticsManager::shared();
  if (!manager) return nullptr;
  config = manager->configuration();
  if (config->swiftUIPreviewMode() || config->analyticsDisabled()) return nullptr;
  return manager;
}

}  // namespace

const QSet<QString>& reservedKeysLowercased() {
  static const QSet<QString> keys = [] {
    QSet<QString> set;
    for (const char* key : {"type", "clientUser", "appID", "sessionID", "floatValue", "newSessionBegan", "platform",
                            "systemVersion", "majorSystemVersion", "majorMinorSystemVersion", "appVersion",
                            "buildNumber", "isSimulator", "isDebug", "isTestFlight", "isAppStore", "modelName",
                            "architecture", "operatingSystem", "targetEnvironment", "locale", "region",
                            "appLanguage", "preferredLanguage", "analyticsClientVersion"}) {
      set.insert(QString::fromLatin1(key).toLower());
    }
    return set;
  }();
  return keys;
}

void initialize(ConfigurationPtr config, AnalyticsManager::Environment environment) {
  if (const auto running = AnalyticsManager::shared();
      running && running->configuration()->analyticsAppID() == config->analyticsAppID()) {
    running->adopt(std::move(config));
    return;
  }
  // The old client writes its file and lets go of it before the new one reads it.
  if (const auto old = AnalyticsManager::exchangeShared(nullptr)) old->shutdown();
  AnalyticsManager::exchangeShared(AnalyticsManager::make(std::move(config), std::move(environment)));
}

void terminate() {
  if (const auto old = AnalyticsManager::exchangeShared(nullptr)) old->shutdown();
}

void signal(const QString& name, const Parameters& parameters, std::optional<double> floatValue,
            const std::optional<QString>& customUserID) {
  ConfigurationPtr config;
  if (!openManager(config)) return;
  const QString effectiveName = config->defaultSignalPrefix().value_or(QString()) + name;
  const Parameters effective = withKeyPrefix(parameters, config->defaultParameterPrefix());
  if (config->reservedParameterWarningsEnabled()) {
    const QString lower = effectiveName.toLower();
    if (lower.startsWith(kReservedPrefix)) {
      config->log(LogLevel::error, QStringLiteral("Sending signal with reserved prefix 'Analytics.' will cause "
                                                  "unexpected behavior. Please use another prefix instead."));
    } else if (reservedKeysLowercased().contains(lower)) {
      config->log(LogLevel::error, QStringLiteral("Sending signal with reserved name '%1' will cause unexpected "
                                                  "behavior. Please use another name instead.")
                                       .arg(effectiveName));
    }
    warnAboutKeys(*config, effective);
  }
  internalSignal(effectiveName, effective, floatValue, customUserID);
}

void internalSignal(const QString& name, const Parameters& parameters, std::optional<double> floatValue,
                    const std::optional<QString>& customUserID) {
  ConfigurationPtr config;
  const std::shared_ptr<AnalyticsManager> manager = openManager(config);
  if (!manager) return;
  const std::function<Parameters()> defaults = config->defaultParameters();
  const Parameters rewritten = withKeyPrefix(defaults ? defaults() : Parameters(), config->defaultParameterPrefix());
  warnAboutKeys(*config, rewritten);
  Parameters merged = rewritten;
  merged.insert(parameters);
  manager->signalManager().processSignal(name, merged, floatValue, customUserID, config);
}

void requestImmediateSync() {
  const std::shared_ptr<AnalyticsManager> manager = AnalyticsManager::shared();
  if (!manager || !manager->claimImmediateSync()) return;
  std::weak_ptr<AnalyticsManager> weak = manager;
  manager->scheduler().post(
      [weak] {
        if (const auto m = weak.lock()) m->signalManager().attemptToSendNextBatchOfCachedSignals();
      },
      std::chrono::milliseconds(50));
}

void generateNewSession() {
  if (const auto manager = AnalyticsManager::shared()) manager->generateNewSession();
}

void updateDefaultUserID(const std::optional<QString>& user) {
  if (const auto manager = AnalyticsManager::shared()) manager->configuration()->defaultUser.set(user);
}

std::shared_ptr<ClientStore> customDefaults() {
  const auto manager = AnalyticsManager::shared();
  return manager ? manager->store() : nullptr;
}

}  // namespace analytics::Analytics
