#include "app/ReportTest.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "core/Console.h"
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
  if (f.telemetryKey && f.analyticsClient && f.telemetryURL && f.signalDelivered) out << QStringLiteral("신호");
  if (f.sentryKey && f.crashClient && f.warningDelivered) out << QStringLiteral("경고");
  return out;
}

QString outcomeLine(const Facts& f) {
  const QStringList sent = handedOver(f);
  const bool signalLost = f.started && f.telemetryKey && f.analyticsClient && f.telemetryURL && !f.signalDelivered;
  const QString undelivered = QStringLiteral("신호가 전달되지 않음 (") + f.signalDetail + QLatin1Char(')');
  if (!sent.isEmpty()) {
    return QStringLiteral("보냄: report.test (") + sent.join(QStringLiteral("·")) + QStringLiteral("). 대시보드에서 확인") +
           (signalLost ? QStringLiteral(". ") + undelivered : QString());
  }
  QString why;
  if (!f.reportsOn) {
    why = QStringLiteral("보고 설정이 꺼져 있음");
  } else if (!f.sentryKey && !f.telemetryKey) {
    why = QStringLiteral("Info.json에 키가 없음");
  } else if (f.started && f.sentryKey && f.crashClient && !f.warningDelivered) {
    why = QStringLiteral("서비스에 닿지 못함");
  } else if (signalLost) {
    why = undelivered;
  } else if (f.telemetryKey && f.analyticsClient && !f.telemetryURL) {
    why = QStringLiteral("Info.json에 TQTelemetryURL이 없음");
  } else {
    why = QStringLiteral("이 빌드에는 보내는 모듈이 없음");
  }
  return QStringLiteral("보내지 않음: report.test. ") + why;
}

void run(bool crashClientInstalled, bool analyticsClientInstalled, std::function<void(int)> exit,
         DeliveryWait crashDelivered, SignalWait signalDelivered) {
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
  if (handedOver(f).isEmpty()) {
    // Nothing is on its way: no reason to wait.
    console::line(outcomeLine(f));
    exit(0);
    return;
  }
  // Each client that can tell when the service took its part gets a bounded wait of its own.
  if (signalDelivered && handedOver(f).contains(QStringLiteral("신호"))) {
    const std::optional<QString> failure = signalDelivered(std::chrono::milliseconds(kSendWaitMs));
    f.signalDelivered = !failure;
    f.signalDetail = failure.value_or(QString());
  }
  QElapsedTimer waited;
  waited.start();
  if (crashDelivered && handedOver(f).contains(QStringLiteral("경고"))) {
    f.warningDelivered = crashDelivered(std::chrono::milliseconds(kSendWaitMs));
  }
  // A client that cannot tell gets the rest of the fixed wait.
  const bool fixedWait = (!signalDelivered && handedOver(f).contains(QStringLiteral("신호"))) ||
                         (!crashDelivered && handedOver(f).contains(QStringLiteral("경고")));
  const int rest = fixedWait ? std::max(0, kSendWaitMs - int(waited.elapsed())) : 0;
  QTimer::singleShot(rest, QCoreApplication::instance(), [f, exit] {
    console::line(outcomeLine(f));
    exit(0);
  });
}

}  // namespace reporttest
