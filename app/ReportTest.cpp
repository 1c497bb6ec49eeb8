#include "app/ReportTest.h"

#include <QCoreApplication>
#include <QTimer>

#include "app/AnalyticsAdapter.h"
#include "app/Console.h"
#include "core/Reporting.h"
#include "core/Settings.h"

namespace reporttest {

namespace {
QString presence(bool present) { return present ? QStringLiteral("있음") : QStringLiteral("없음"); }
}  // namespace

QString presenceLine(const Facts& f) {
  return QStringLiteral("키: sentry ") + presence(f.sentryKey) + QStringLiteral(" · telemetry ") +
         presence(f.telemetryKey) + QStringLiteral(" · 설정 ") + (f.reportsOn ? QStringLiteral("켬") : QStringLiteral("끔"));
}

QStringList handedOver(const Facts& f) {
  QStringList out;
  if (!f.started || !f.reportsOn) return out;
  if (f.telemetryKey && f.analyticsClient && f.telemetryURL && f.signalDelivered.value_or(true)) out << QStringLiteral("신호");
  if (f.sentryKey && f.crashClient) out << QStringLiteral("경고");
  return out;
}

QString outcomeLine(const Facts& f) {
  const QStringList sent = handedOver(f);
  const QString undelivered = f.signalDelivered == false ? QStringLiteral("신호가 전달되지 않음 (") + f.signalDetail +
                                                               QLatin1Char(')')
                                                         : QString();
  if (!sent.isEmpty()) {
    return QStringLiteral("보냄: report.test (") + sent.join(QStringLiteral("·")) + QStringLiteral("). 대시보드에서 확인") +
           (undelivered.isEmpty() ? QString() : QStringLiteral(". ") + undelivered);
  }
  QString why;
  if (!f.reportsOn) {
    why = QStringLiteral("보고 설정이 꺼져 있음");
  } else if (!f.sentryKey && !f.telemetryKey) {
    why = QStringLiteral("Info.json에 키가 없음");
  } else if (!undelivered.isEmpty()) {
    why = undelivered;
  } else if (f.telemetryKey && f.analyticsClient && !f.telemetryURL) {
    why = QStringLiteral("Info.json에 TQTelemetryURL이 없음");
  } else {
    why = QStringLiteral("이 빌드에는 보내는 모듈이 없음");
  }
  return QStringLiteral("보내지 않음: report.test. ") + why;
}

void run(bool crashClientInstalled, bool analyticsClientInstalled, std::function<void(int)> exit) {
  Facts f;
  f.sentryKey = !Reporting::sentryDSN().isEmpty();
  f.telemetryKey = !Reporting::analyticsAppID().isEmpty();
  f.reportsOn = Settings::shared().reports();
  f.crashClient = crashClientInstalled;
  f.analyticsClient = analyticsClientInstalled;
  f.telemetryURL = Reporting::analyticsURL().has_value();
  console::line(presenceLine(f));
  Reporting::start();
  f.started = Reporting::isStarted();
  const Reporting::Params params{{QStringLiteral("from"), QStringLiteral("cli")}};
  Reporting::signal(QStringLiteral("report.test"), params);
  Reporting::error(QStringLiteral("report.test"), params);
  // The signal counts as sent once the service took it, within the wait.
  if (handedOver(f).contains(QStringLiteral("신호"))) {
    if (AnalyticsAdapter* analytics = AnalyticsAdapter::installed(); analytics && analytics->active()) {
      const AnalyticsAdapter::Delivery d = analytics->deliver(kSendWaitMs);
      f.signalDelivered = d.delivered;
      f.signalDetail = d.detail;
    }
  }
  if (!handedOver(f).contains(QStringLiteral("경고"))) {
    // Nothing more is on its way: no reason to wait.
    console::line(outcomeLine(f));
    exit(0);
    return;
  }
  QTimer::singleShot(kSendWaitMs, QCoreApplication::instance(), [f, exit] {
    console::line(outcomeLine(f));
    exit(0);
  });
}

}  // namespace reporttest
