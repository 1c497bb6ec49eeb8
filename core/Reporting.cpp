#include "core/Reporting.h"

#include <QStringList>
#include <QSysInfo>
#include <cmath>

#include "core/Log.h"
#include "core/Settings.h"
#include "platform/Bundle.h"

namespace {

bool started = false;
reporting::CrashClient* crashClient = nullptr;
reporting::AnalyticsClient* analyticsClient = nullptr;

QString describe(const QString& name, const reporting::Params& params) {
  QStringList parts{name};
  for (auto it = params.begin(); it != params.end(); ++it) parts << it.key() + QLatin1Char('=') + it.value();
  return parts.join(QLatin1Char(' '));
}

}  // namespace

namespace Reporting {

QString sentryDSN() { return Bundle::infoString(QStringLiteral("TQSentryDSN")); }
QString analyticsAppID() { return Bundle::infoString(QStringLiteral("TQTelemetryAppID")); }

std::optional<QString> analyticsURL() {
  const QString url = Bundle::infoString(QStringLiteral("TQTelemetryURL"));
  return url.isEmpty() ? std::nullopt : std::optional<QString>(url);
}

bool configured() { return !sentryDSN().isEmpty() || !analyticsAppID().isEmpty(); }
bool isTest() { return qEnvironmentVariable("TQ_REPORT_TEST") == QLatin1String("1"); }
bool isStarted() { return started; }

QString chip() { return QSysInfo::currentCpuArchitecture(); }

void setCrashClient(reporting::CrashClient* client) { crashClient = client; }
void setAnalyticsClient(reporting::AnalyticsClient* client) { analyticsClient = client; }

void start() {
  if (!Settings::shared().reports() || started || !configured()) return;
  started = true;
  const QString dsn = sentryDSN();
  if (!dsn.isEmpty()) {
    reporting::CrashOptions options;
    options.dsn = dsn;
    options.environment = isTest() ? QStringLiteral("test") : QStringLiteral("production");
    if (crashClient) {
      crashClient->start(options);
    } else {
      qCDebug(lcReporting) << "crash reporting configured, but no client is installed";
    }
  }
  const QString appID = analyticsAppID();
  if (!appID.isEmpty()) {
    reporting::AnalyticsConfig config;
    config.appID = appID;
    config.baseURL = analyticsURL();
    config.testMode = isTest();
    if (analyticsClient) {
      analyticsClient->initialize(config);
    } else {
      qCDebug(lcReporting) << "analytics configured, but no client is installed";
    }
  }
  qCDebug(lcReporting).noquote() << "started" << (isTest() ? "test" : "production");
  const Settings& s = Settings::shared();
  signal(QStringLiteral("app.launched"),
         {{QStringLiteral("language"), s.language().resolved().rawValue()},
          {QStringLiteral("mode"), s.fastMode() ? QStringLiteral("fast") : QStringLiteral("accurate")},
          {QStringLiteral("chip"), chip()}});
}

void stop() {
  // Turning reports off means nothing further leaves the machine, including
  // what was queued or written before: the clients drop everything first, so
  // closing has nothing left to send.
  if (crashClient) crashClient->discardPending();
  if (analyticsClient) analyticsClient->stopAndDiscard();
  if (started) {
    if (!sentryDSN().isEmpty() && crashClient) crashClient->close();
    started = false;
    qCDebug(lcReporting) << "stopped";
  }
}

void endNow() {
  if (crashClient) crashClient->closeNow();
}

void signal(const QString& name, const Params& params) {
  if (!started || !Settings::shared().reports() || analyticsAppID().isEmpty()) {
    qCDebug(lcReporting).noquote() << "signal dropped:" << describe(name, params);
    return;
  }
  qCDebug(lcReporting).noquote() << "signal:" << describe(name, params);
  if (analyticsClient) analyticsClient->signal(name, params);
}

void error(const QString& name, const Params& params) {
  if (!started || !Settings::shared().reports() || sentryDSN().isEmpty()) {
    qCDebug(lcReporting).noquote() << "error dropped:" << describe(name, params);
    return;
  }
  qCDebug(lcReporting).noquote() << "error:" << describe(name, params);
  if (crashClient) crashClient->captureMessage(name, QStringLiteral("warning"), params);
}

QString bucket(long long n) {
  if (n < 1) return QStringLiteral("0");
  if (n == 1) return QStringLiteral("1");
  if (n < 6) return QStringLiteral("2-5");
  if (n < 21) return QStringLiteral("6-20");
  if (n < 101) return QStringLiteral("21-100");
  return QStringLiteral("100+");
}

QString seconds(double t) {
  // Strict comparisons: a NaN fails them all and lands in the last bucket.
  if (t < 0.5) return QStringLiteral("<0.5");
  if (t < 1) return QStringLiteral("<1");
  if (t < 2) return QStringLiteral("<2");
  if (t < 5) return QStringLiteral("<5");
  if (t < 10) return QStringLiteral("<10");
  return QStringLiteral("10+");
}

}  // namespace Reporting
