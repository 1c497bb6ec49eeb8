#include "analytics/PresetSignals.h"

#include <QEvent>

#include "analytics/Analytics.h"

namespace analytics {

namespace {

const std::pair<ErrorCategory, const char*> kCategories[] = {
    {ErrorCategory::thrownException, "thrown-exception"},
    {ErrorCategory::userInput, "user-input"},
    {ErrorCategory::appState, "app-state"},
};

// The preset's own entries under the caller's.
void send(const QString& name, Parameters own, const Parameters& parameters, std::optional<double> floatValue,
          const std::optional<QString>& customUserID) {
  own.insert(parameters);
  Analytics::internalSignal(name, own, floatValue, customUserID);
}

void sendError(const QString& id, std::optional<ErrorCategory> category, const std::optional<QString>& message,
               const Parameters& parameters, std::optional<double> floatValue, const std::optional<QString>& customUserID) {
  Parameters own{{QStringLiteral("Analytics.Error.id"), id}};
  if (category) own.insert(QStringLiteral("Analytics.Error.category"), rawValue(*category));
  if (message) own.insert(QStringLiteral("Analytics.Error.message"), *message);
  send(QStringLiteral("Analytics.Error.occurred"), own, parameters, floatValue, customUserID);
}

class NavigationFilter : public QObject {
 public:
  NavigationFilter(QObject* watched, QString path) : QObject(watched), path_(std::move(path)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent() && event->type() == QEvent::Show) Analytics::navigationPathChanged(path_);
    return false;
  }

 private:
  QString path_;
};

}  // namespace

QString rawValue(ErrorCategory category) {
  for (const auto& [c, raw] : kCategories) {
    if (c == category) return QString::fromLatin1(raw);
  }
  return {};
}

std::optional<ErrorCategory> errorCategoryFromRaw(const QString& raw) {
  for (const auto& [c, text] : kCategories) {
    if (raw == QLatin1String(text)) return c;
  }
  return std::nullopt;
}

AnyIdentifiableError withID(const std::exception& error, const QString& id) {
  return AnyIdentifiableError(id, QString::fromUtf8(error.what()));
}

NavigationStatus& NavigationStatus::shared() {
  static NavigationStatus status;
  return status;
}

std::optional<QString> NavigationStatus::previousNavigationPath() const {
  std::lock_guard lock(mutex_);
  return previous_;
}

void NavigationStatus::setPreviousNavigationPath(const QString& path) {
  std::lock_guard lock(mutex_);
  previous_ = path;
}

void trackNavigation(QObject* object, const QString& path) {
  object->installEventFilter(new NavigationFilter(object, path));
}

namespace Analytics {

void acquiredUser(const QString& channel, const Parameters& parameters, const std::optional<QString>& customUserID) {
  send(QStringLiteral("Analytics.Acquisition.userAcquired"), {{QStringLiteral("Analytics.Acquisition.channel"), channel}},
       parameters, std::nullopt, customUserID);
}

void leadStarted(const QString& leadID, const Parameters& parameters, const std::optional<QString>& customUserID) {
  send(QStringLiteral("Analytics.Acquisition.leadStarted"), {{QStringLiteral("Analytics.Acquisition.leadID"), leadID}},
       parameters, std::nullopt, customUserID);
}

void leadConverted(const QString& leadID, const Parameters& parameters, const std::optional<QString>& customUserID) {
  send(QStringLiteral("Analytics.Acquisition.leadConverted"), {{QStringLiteral("Analytics.Acquisition.leadID"), leadID}},
       parameters, std::nullopt, customUserID);
}

void onboardingCompleted(const Parameters& parameters, const std::optional<QString>& customUserID) {
  send(QStringLiteral("Analytics.Activation.onboardingCompleted"), {}, parameters, std::nullopt, customUserID);
}

void coreFeatureUsed(const QString& featureName, const Parameters& parameters, const std::optional<QString>& customUserID) {
  send(QStringLiteral("Analytics.Activation.coreFeatureUsed"),
       {{QStringLiteral("Analytics.Activation.featureName"), featureName}}, parameters, std::nullopt, customUserID);
}

void referralSent(int receiversCount, const std::optional<QString>& kind, const Parameters& parameters,
                  const std::optional<QString>& customUserID) {
  Parameters own{{QStringLiteral("Analytics.Referral.receiversCount"), QString::number(receiversCount)}};
  if (kind) own.insert(QStringLiteral("Analytics.Referral.kind"), *kind);
  send(QStringLiteral("Analytics.Referral.sent"), own, parameters, std::nullopt, customUserID);
}

void userRatingSubmitted(int rating, const std::optional<QString>& comment, const Parameters& parameters,
                         const std::optional<QString>& customUserID) {
  if (rating < 0 || rating > 10) {
    if (const auto manager = AnalyticsManager::shared()) {
      manager->configuration()->log(LogLevel::error, QStringLiteral("Rating must be between 0 and 10"));
    }
    return;
  }
  Parameters own{{QStringLiteral("Analytics.Referral.ratingValue"), QString::number(rating)}};
  if (comment) own.insert(QStringLiteral("Analytics.Referral.ratingComment"), *comment);
  send(QStringLiteral("Analytics.Referral.userRatingSubmitted"), own, parameters, std::nullopt, customUserID);
}

void paywallShown(const QString& reason, const Parameters& parameters, const std::optional<QString>& customUserID) {
  send(QStringLiteral("Analytics.Revenue.paywallShown"), {{QStringLiteral("Analytics.Revenue.paywallShowReason"), reason}},
       parameters, std::nullopt, customUserID);
}

void errorOccurred(const QString& id, std::optional<ErrorCategory> category, const std::optional<QString>& message,
                   const Parameters& parameters, std::optional<double> floatValue, const std::optional<QString>& customUserID) {
  sendError(id, category, message, parameters, floatValue, customUserID);
}

void errorOccurred(const IdentifiableError& error, ErrorCategory category, const Parameters& parameters,
                   std::optional<double> floatValue, const std::optional<QString>& customUserID) {
  sendError(error.id(), category, error.localizedDescription(), parameters, floatValue, customUserID);
}

void errorOccurred(const IdentifiableError& error, ErrorCategory category, const std::optional<QString>& message,
                   const Parameters& parameters, std::optional<double> floatValue, const std::optional<QString>& customUserID) {
  sendError(error.id(), category, message, parameters, floatValue, customUserID);
}

void navigationPathChanged(const QString& from, const QString& to, const std::optional<QString>& customUserID) {
  NavigationStatus::shared().setPreviousNavigationPath(to);
  internalSignal(QStringLiteral("Analytics.Navigation.pathChanged"),
                 {{QStringLiteral("Analytics.Navigation.schemaVersion"), QStringLiteral("1")},
                  {QStringLiteral("Analytics.Navigation.identifier"), from + QStringLiteral(" -> ") + to},
                  {QStringLiteral("Analytics.Navigation.sourcePath"), from},
                  {QStringLiteral("Analytics.Navigation.destinationPath"), to}},
                 std::nullopt, customUserID);
}

void navigationPathChanged(const QString& to, const std::optional<QString>& customUserID) {
  navigationPathChanged(NavigationStatus::shared().previousNavigationPath().value_or(QString()), to, customUserID);
}

void navigate(const QString& from, const QString& to, const std::optional<QString>& customUserID) {
  navigationPathChanged(from, to, customUserID);
}

void navigate(const QString& to, const std::optional<QString>& customUserID) { navigationPathChanged(to, customUserID); }

}  // namespace Analytics

}  // namespace analytics
