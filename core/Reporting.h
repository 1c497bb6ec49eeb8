#pragma once
#include <QMap>
#include <QString>
#include <optional>

// The one door through which the application reports on itself: error reports
// to the crash-reporting service, usage signals to the analytics service. Both
// stay off unless the user allows reports and Info.json names the services.
namespace reporting {

using Params = QMap<QString, QString>;

struct CrashOptions {
  QString dsn;
  QString environment;  // "production" or "test"
  bool enableCrashHandler = true;
  bool enableAutoSessionTracking = true;
  bool sendDefaultPii = false;
  double tracesSampleRate = 0.0;
};

// The crash-reporting client; the application installs one at start-up.
class CrashClient {
 public:
  virtual ~CrashClient() = default;
  virtual void start(const CrashOptions& options) = 0;
  virtual void captureMessage(const QString& message, const QString& level, const Params& tags) = 0;
  virtual void close() = 0;
  // Ends the session as close() does without waiting for the network: the
  // process is about to end at once, and the update goes at the next start.
  virtual void closeNow() = 0;
  // Stops sending at once (nothing more leaves, not even a closing update) and
  // deletes crash files and reports that were written but not sent yet.
  virtual void discardPending() = 0;
};

struct AnalyticsConfig {
  QString appID;
  std::optional<QString> salt;
  std::optional<QString> baseURL;  // none: the service's default ingestion address
  std::optional<QString> ns;
  bool testMode = false;
};

// The usage-analytics client; the application installs one at start-up.
class AnalyticsClient {
 public:
  virtual ~AnalyticsClient() = default;
  // (Re)creates the running instance; a second call starts afresh.
  virtual void initialize(const AnalyticsConfig& config) = 0;
  // Queues one signal; never blocks the caller.
  virtual void signal(const QString& name, const Params& params) = 0;
  // Stops sending and discards everything queued or cached.
  virtual void stopAndDiscard() = 0;
};

}  // namespace reporting

namespace Reporting {

using reporting::Params;

void start();
void stop();
void signal(const QString& name, const Params& params = {});
void error(const QString& name, const Params& params = {});
// The process ends at once (a console switch stopped by a signal): the crash
// session still ends "exited" rather than be taken for a crash at the next start.
void endNow();

// Coarse labels for counts and durations.
QString bucket(long long n);
QString seconds(double t);

QString sentryDSN();
QString analyticsAppID();
// The analytics ingestion base address from Info.json ("TQTelemetryURL"), if any.
std::optional<QString> analyticsURL();
bool configured();
bool isTest();
bool isStarted();
// The real CPU architecture, reported as "chip".
QString chip();

// The clients that start() drives; none until the application installs them.
// The caller keeps ownership; pass nullptr to detach.
void setCrashClient(reporting::CrashClient* client);
void setAnalyticsClient(reporting::AnalyticsClient* client);

}  // namespace Reporting
