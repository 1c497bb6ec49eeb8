#pragma once
#include <QMap>
#include <QString>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "analytics/LogHandler.h"
#include "analytics/Setting.h"

namespace analytics {

using Parameters = QMap<QString, QString>;

class SignalTransport;

// Asked for extra payload entries of every signal, in list order.
class SignalEnricher {
 public:
  virtual ~SignalEnricher() = default;
  virtual Parameters enrich(const QString& signalType, const std::optional<QString>& customUserID,
                            std::optional<double> floatValue) = 0;
};

// Every setting of the client. The caller builds one, hands it to
// Analytics::initialize, and the running manager keeps sharing that object:
// a change made later takes effect at the next use. Each setting is safe to
// read and write from any thread.
class AnalyticsManagerConfiguration {
 public:
  // No base address means none: this client has no built-in service.
  explicit AnalyticsManagerConfiguration(QString appID, std::optional<QString> salt = std::nullopt,
                                         std::optional<QString> baseURL = std::nullopt,
                                         std::optional<QString> ns = std::nullopt);
  static std::shared_ptr<AnalyticsManagerConfiguration> make(QString appID, std::optional<QString> salt = std::nullopt,
                                                             std::optional<QString> baseURL = std::nullopt,
                                                             std::optional<QString> ns = std::nullopt);
  AnalyticsManagerConfiguration(const AnalyticsManagerConfiguration&) = delete;
  AnalyticsManagerConfiguration& operator=(const AnalyticsManagerConfiguration&) = delete;

  const QString& analyticsAppID() const { return appID_; }
  const QString& apiBaseURL() const { return baseURL_; }  // empty: none
  const std::optional<QString>& namespaceName() const { return namespace_; }
  const QString& salt() const { return salt_; }

  Setting<std::optional<QString>> defaultUser;
  Setting<std::optional<QString>> defaultSignalPrefix;
  Setting<std::optional<QString>> defaultParameterPrefix;
  // Called for every signal, from the client's threads.
  Setting<std::function<Parameters()>> defaultParameters{[] { return Parameters(); }};
  Setting<bool> sendNewSessionBeganSignal{true};
  // None: the manager's own HTTP client.
  Setting<std::shared_ptr<SignalTransport>> urlSession;
  Setting<int> cacheLimit{10000};
  Setting<double> transmitInterval{10.0};
  Setting<double> maxBackoffInterval{300.0};
  Setting<std::optional<bool>> testModeStorage;
  Setting<std::optional<bool>> previewModeStorage;
  Setting<bool> analyticsDisabled{false};
  Setting<bool> reservedParameterWarningsEnabled{true};
  Setting<bool> sessionStatsEnabled{true};
  Setting<std::optional<LogHandler>> logHandler{LogHandler::standard(LogLevel::info)};
  Setting<std::vector<std::shared_ptr<SignalEnricher>>> metadataEnrichers;

  bool testMode() const { return testModeStorage().value_or(false); }
  void setTestMode(bool on) { testModeStorage.set(on); }
  // True inside a declarative-view preview (XCODE_RUNNING_FOR_PREVIEWS=1) unless set.
  bool swiftUIPreviewMode() const;
  void setSwiftUIPreviewMode(bool on) { previewModeStorage.set(on); }

  QUuid sessionID() const { return sessionID_.get(); }
  // Stores the identifier, then, outside any lock, starts a new session in
  // the session manager and sends "Analytics.Session.started", each when its
  // switch is on at that moment.
  void setSessionID(const QUuid& id);

  void log(LogLevel level, const QString& message) const;

 private:
  const QString appID_;
  const QString baseURL_;
  const std::optional<QString> namespace_;
  const QString salt_;
  Setting<QUuid> sessionID_;
};

using ConfigurationPtr = std::shared_ptr<AnalyticsManagerConfiguration>;

}  // namespace analytics
