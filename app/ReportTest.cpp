#include "app/ReportTest.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

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
  if (f.telemetryKey && f.analyticsClient) out << QStringLiteral("신호");
  if (f.sentryKey && f.crashClient && f.warningDelivered) out << QStringLiteral("경고");
  return out;
}

QString outcomeLine(const Facts& f) {
  const QStringList sent = handedOver(f);
  if (!sent.isEmpty())
    return QStringLiteral("보냄: report.test (") + sent.join(QStringLiteral("·")) + QStringLiteral("). 대시보드에서 확인");
  QString why;
  if (!f.reportsOn) {
    why = QStringLiteral("보고 설정이 꺼져 있음");
  } else if (!f.sentryKey && !f.telemetryKey) {
    why = QStringLiteral("Info.json에 키가 없음");
  } else if (f.started && f.sentryKey && f.crashClient && !f.warningDelivered) {
    why = QStringLiteral("서비스에 닿지 못함");
  } else {
    why = QStringLiteral("이 빌드에는 보내는 모듈이 없음");
  }
  return QStringLiteral("보내지 않음: report.test. ") + why;
}

void run(bool crashClientInstalled, bool analyticsClientInstalled, std::function<void(int)> exit,
         DeliveryWait crashDelivered) {
  Facts f;
  f.sentryKey = !Reporting::sentryDSN().isEmpty();
  f.telemetryKey = !Reporting::analyticsAppID().isEmpty();
  f.reportsOn = Settings::shared().reports();
  f.crashClient = crashClientInstalled;
  f.analyticsClient = analyticsClientInstalled;
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
  QElapsedTimer waited;
  waited.start();
  if (crashDelivered && handedOver(f).contains(QStringLiteral("경고"))) {
    f.warningDelivered = crashDelivered(std::chrono::milliseconds(kSendWaitMs));
  }
  // The analytics client cannot tell when it is done: it gets the rest of the fixed wait.
  const bool fixedWait = handedOver(f).contains(QStringLiteral("신호")) || (!crashDelivered && !handedOver(f).isEmpty());
  const int rest = fixedWait ? std::max(0, kSendWaitMs - int(waited.elapsed())) : 0;
  QTimer::singleShot(rest, QCoreApplication::instance(), [f, exit] {
    console::line(outcomeLine(f));
    exit(0);
  });
}

}  // namespace reporttest
