#pragma once
#include <QObject>
#include <QString>
#include <exception>
#include <mutex>
#include <optional>

#include "analytics/AnalyticsConfiguration.h"

// Ready-made signals for common product events, under the fixed names and
// keys the analytics service understands. Each builds its own entries and
// lays the caller's parameters over them (the caller's value wins a clash).
namespace analytics {

enum class ErrorCategory { thrownException, userInput, appState };
QString rawValue(ErrorCategory category);  // "thrown-exception", "user-input", "app-state"
std::optional<ErrorCategory> errorCategoryFromRaw(const QString& raw);

// An error with a stable identifier of its kind, apart from its message.
class IdentifiableError {
 public:
  virtual ~IdentifiableError() = default;
  virtual QString id() const = 0;
  virtual QString localizedDescription() const = 0;
};

// Any error, given an identifier: its description is the wrapped error's.
class AnyIdentifiableError final : public IdentifiableError {
 public:
  AnyIdentifiableError(QString id, QString description) : id_(std::move(id)), description_(std::move(description)) {}
  QString id() const override { return id_; }
  QString localizedDescription() const override { return description_; }

 private:
  QString id_;
  QString description_;
};

// An exception given an identifier.
AnyIdentifiableError withID(const std::exception& error, const QString& id);

// The destination of the last navigation signal, in memory only.
class NavigationStatus {
 public:
  static NavigationStatus& shared();
  std::optional<QString> previousNavigationPath() const;
  void setPreviousNavigationPath(const QString& path);

 private:
  mutable std::mutex mutex_;
  std::optional<QString> previous_;
};

// Sends the navigation signal each time `object` (a widget) is shown, with
// `path` as destination; it lives as long as the object.
void trackNavigation(QObject* object, const QString& path);

namespace Analytics {

void acquiredUser(const QString& channel, const Parameters& parameters = {}, const std::optional<QString>& customUserID = std::nullopt);
void leadStarted(const QString& leadID, const Parameters& parameters = {}, const std::optional<QString>& customUserID = std::nullopt);
void leadConverted(const QString& leadID, const Parameters& parameters = {}, const std::optional<QString>& customUserID = std::nullopt);
void onboardingCompleted(const Parameters& parameters = {}, const std::optional<QString>& customUserID = std::nullopt);
void coreFeatureUsed(const QString& featureName, const Parameters& parameters = {},
                     const std::optional<QString>& customUserID = std::nullopt);
void referralSent(int receiversCount = 1, const std::optional<QString>& kind = std::nullopt, const Parameters& parameters = {},
                  const std::optional<QString>& customUserID = std::nullopt);
// A rating outside 0 to 10 is refused with a log line.
void userRatingSubmitted(int rating, const std::optional<QString>& comment = std::nullopt, const Parameters& parameters = {},
                         const std::optional<QString>& customUserID = std::nullopt);
void paywallShown(const QString& reason, const Parameters& parameters = {}, const std::optional<QString>& customUserID = std::nullopt);

void errorOccurred(const QString& id, std::optional<ErrorCategory> category = std::nullopt,
                   const std::optional<QString>& message = std::nullopt, const Parameters& parameters = {},
                   std::optional<double> floatValue = std::nullopt, const std::optional<QString>& customUserID = std::nullopt);
// The error's own description as the message.
void errorOccurred(const IdentifiableError& error, ErrorCategory category, const Parameters& parameters = {},
                   std::optional<double> floatValue = std::nullopt, const std::optional<QString>& customUserID = std::nullopt);
// The given message, if any.
void errorOccurred(const IdentifiableError& error, ErrorCategory category, const std::optional<QString>& message,
                   const Parameters& parameters = {}, std::optional<double> floatValue = std::nullopt,
                   const std::optional<QString>& customUserID = std::nullopt);

void navigationPathChanged(const QString& from, const QString& to, const std::optional<QString>& customUserID = std::nullopt);
// From the last destination, or from "" at the first navigation of a run.
void navigationPathChanged(const QString& to, const std::optional<QString>& customUserID = std::nullopt);
void navigate(const QString& from, const QString& to, const std::optional<QString>& customUserID = std::nullopt);
void navigate(const QString& to, const std::optional<QString>& customUserID = std::nullopt);

}  // namespace Analytics

}  // namespace analytics
