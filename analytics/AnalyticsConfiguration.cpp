#include "analytics/AnalyticsConfiguration.h"

#include "analytics/Analytics.h"
#include "analytics/AnalyticsManager.h"
#include "analytics/SessionManager.h"

namespace analytics {

AnalyticsManagerConfiguration::AnalyticsManagerConfiguration(QString appID, std::optional<QString> salt,
                                                             std::optional<QString> baseURL, std::optional<QString> ns)
    : appID_(std::move(appID)),
      baseURL_(baseURL.value_or(QString())),
      namespace_(std::move(ns)),
      salt_(salt.value_or(QString())),
      sessionID_(QUuid::createUuid()) {}

std::shared_ptr<AnalyticsManagerConfiguration> AnalyticsManagerConfiguration::make(QString appID,
                                                                                   std::optional<QString> salt,
                                                                                   std::optional<QString> baseURL,
                                                                                   std::optional<QString> ns) {
  return std::make_shared<AnalyticsManagerConfiguration>(std::move(appID), std::move(salt), std::move(baseURL),
                                                         std::move(ns));
}

bool AnalyticsManagerConfiguration::swiftUIPreviewMode() const {
  if (const std::optional<bool> set = previewModeStorage()) return *set;
  return qEnvironmentVariable("XCODE_RUNNING_FOR_PREVIEWS") == QLatin1String("1");
}

void AnalyticsManagerConfiguration::setSessionID(const QUuid& id) {
  sessionID_.set(id);
  if (sessionStatsEnabled()) {
    if (const auto manager = AnalyticsManager::shared()) manager->sessionManager().startNewSession();
  }
  if (sendNewSessionBeganSignal()) Analytics::internalSignal(QStringLiteral("Analytics.Session.started"));
}

void AnalyticsManagerConfiguration::log(LogLevel level, const QString& message) const {
  if (const std::optional<LogHandler> handler = logHandler()) handler->log(level, message);
}

}  // namespace analytics
