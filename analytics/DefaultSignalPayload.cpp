#include "analytics/DefaultSignalPayload.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include "analytics/CalendarWeek.h"
#include "analytics/DecimalText.h"
#include "analytics/SessionManager.h"

namespace analytics::DefaultSignalPayload {

namespace {

const QRegularExpression& tagSeparators() {
  static const QRegularExpression separators(QStringLiteral("[-_]"));
  return separators;
}

QString firstPart(const QString& tag) { return tag.split(tagSeparators()).constFirst(); }
QString lastPart(const QString& tag) { return tag.split(tagSeparators()).constLast(); }

QDateTime localDateTime(TimePoint instant) {
  const qint64 ms = std::chrono::duration_cast<std::chrono::milliseconds>(instant.time_since_epoch()).count();
  return QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
}

QString number(qint64 n) { return QString::number(n); }  // QString::number ignores the locale: ASCII digits
QString flag(bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); }

struct LocaleFacts {
  QString identifier, region, language, preferred;
};

LocaleFacts localeFacts() {
  const QLocale locale = QLocale::system();
  LocaleFacts f;
  f.identifier = locale.name();
  f.region = locale.territory() == QLocale::AnyTerritory ? lastPart(f.identifier)
                                                         : QLocale::territoryToCode(locale.territory());
  f.language = locale.language() == QLocale::AnyLanguage ? firstPart(f.identifier)
                                                         : QLocale::languageToCode(locale.language());
  QStringList preferred = locale.uiLanguages();
  preferred.removeIf([](const QString& tag) { return tag == QLatin1String("C") || tag == QLatin1String("POSIX"); });
  f.preferred = firstPart(preferred.isEmpty() ? QStringLiteral("zz-ZZ") : preferred.constFirst());
  return f;
}

}  // namespace

QString timeZoneText(int offset) {
  const int magnitude = std::abs(offset);
  QString text = QStringLiteral("UTC") + (offset >= 0 ? QLatin1Char('+') : QLatin1Char('-')) +
                 QString::number(magnitude / 3600);
  if (const int minutes = magnitude % 3600 / 60) text += QLatin1Char(':') + QStringLiteral("%1").arg(minutes, 2, 10, QLatin1Char('0'));
  return text;
}

QDate localDate(TimePoint instant) { return localDateTime(instant).date(); }
QString localDay(TimePoint instant) { return localDate(instant).toString(Qt::ISODate); }

Parameters parameters(const SystemFacts& system, const HostFacts& host, TimePoint now, const Retention& retention) {
  // The locale is read once per process, like the machine facts.
  static const LocaleFacts locale = localeFacts();
  QString appVersion = host.appVersion.isEmpty() ? QCoreApplication::applicationVersion() : host.appVersion;
  if (appVersion.isEmpty()) appVersion = QStringLiteral("0");
  const QString buildNumber = QStringLiteral("0");  // no build numbers on this platform
  const QString os = QStringLiteral("Linux");
  const QString version = system.systemVersion();
  const QString major = system.majorSystemVersion();
  const QString majorMinor = system.majorMinorSystemVersion();
  const QString sdk = QString::fromLatin1(kSDKVersion);
  const auto screen = [](std::optional<double> v) { return v ? decimalText(*v) : QStringLiteral("N/A"); };
  const auto orNA = [](const QString& s) { return s.isEmpty() ? QStringLiteral("N/A") : s; };

  // Not from a store: no sandbox receipt, and no store either.
  Parameters p{
      {QStringLiteral("platform"), os},
      {QStringLiteral("systemVersion"), version},
      {QStringLiteral("majorSystemVersion"), major},
      {QStringLiteral("majorMinorSystemVersion"), majorMinor},
      {QStringLiteral("appVersion"), appVersion},
      {QStringLiteral("buildNumber"), buildNumber},
      {QStringLiteral("isSimulator"), flag(false)},
      {QStringLiteral("isDebug"), flag(false)},
      {QStringLiteral("isTestFlight"), flag(false)},
      {QStringLiteral("isAppStore"), flag(false)},
      {QStringLiteral("modelName"), system.modelName},
      {QStringLiteral("architecture"), system.architecture},
      {QStringLiteral("operatingSystem"), os},
      {QStringLiteral("targetEnvironment"), QStringLiteral("native")},
      {QStringLiteral("locale"), locale.identifier},
      {QStringLiteral("region"), locale.region},
      {QStringLiteral("appLanguage"), locale.language},
      {QStringLiteral("preferredLanguage"), locale.preferred},
      {QStringLiteral("analyticsClientVersion"), sdk},
      {QStringLiteral("Analytics.AppInfo.buildNumber"), buildNumber},
      {QStringLiteral("Analytics.AppInfo.version"), appVersion},
      {QStringLiteral("Analytics.AppInfo.versionAndBuildNumber"), appVersion + QStringLiteral(" (build ") + buildNumber + QLatin1Char(')')},
      {QStringLiteral("Analytics.Device.architecture"), system.architecture},
      {QStringLiteral("Analytics.Device.modelName"), system.modelName},
      {QStringLiteral("Analytics.Device.operatingSystem"), os},
      {QStringLiteral("Analytics.Device.orientation"), QStringLiteral("Fixed")},
      {QStringLiteral("Analytics.Device.platform"), os},
      {QStringLiteral("Analytics.Device.screenResolutionHeight"), screen(host.screenSize ? std::optional(host.screenSize->height()) : std::nullopt)},
      {QStringLiteral("Analytics.Device.screenResolutionWidth"), screen(host.screenSize ? std::optional(host.screenSize->width()) : std::nullopt)},
      {QStringLiteral("Analytics.Device.screenScaleFactor"), screen(host.screenScale)},
      {QStringLiteral("Analytics.Device.systemMajorMinorVersion"), majorMinor},
      {QStringLiteral("Analytics.Device.systemMajorVersion"), major},
      {QStringLiteral("Analytics.Device.systemVersion"), version},
      {QStringLiteral("Analytics.RunContext.isAppStore"), flag(false)},
      {QStringLiteral("Analytics.RunContext.isDebug"), flag(false)},
      {QStringLiteral("Analytics.RunContext.isSimulator"), flag(false)},
      {QStringLiteral("Analytics.RunContext.isTestFlight"), flag(false)},
      {QStringLiteral("Analytics.RunContext.language"), locale.language},
      {QStringLiteral("Analytics.RunContext.locale"), locale.identifier},
      {QStringLiteral("Analytics.RunContext.targetEnvironment"), QStringLiteral("native")},
      {QStringLiteral("Analytics.SDK.name"), QStringLiteral("SwiftSDK")},
      {QStringLiteral("Analytics.SDK.nameAndVersion"), QStringLiteral("SwiftSDK ") + sdk},
      {QStringLiteral("Analytics.SDK.version"), sdk},
      {QStringLiteral("Analytics.UserPreference.colorScheme"), orNA(host.colorScheme)},
      {QStringLiteral("Analytics.UserPreference.language"), locale.preferred},
      {QStringLiteral("Analytics.UserPreference.layoutDirection"), orNA(host.layoutDirection)},
      {QStringLiteral("Analytics.UserPreference.region"), locale.region},
  };

  if (host.reduceMotion && host.invertColors) {
    p.insert(QStringLiteral("Analytics.Accessibility.isReduceMotionEnabled"), flag(*host.reduceMotion));
    p.insert(QStringLiteral("Analytics.Accessibility.isInvertColorsEnabled"), flag(*host.invertColors));
  }

  const QDateTime local = localDateTime(now);
  const QDate day = local.date();
  const int weekday = day.dayOfWeek();  // Monday 1 to Sunday 7 already
  p.insert(QStringLiteral("Analytics.Calendar.dayOfMonth"), number(day.day()));
  p.insert(QStringLiteral("Analytics.Calendar.dayOfWeek"), number(weekday));
  p.insert(QStringLiteral("Analytics.Calendar.dayOfYear"), number(day.dayOfYear()));
  p.insert(QStringLiteral("Analytics.Calendar.weekOfYear"), number(weekOfYear(day, locale.identifier)));
  p.insert(QStringLiteral("Analytics.Calendar.isWeekend"), flag(weekday >= 6));
  p.insert(QStringLiteral("Analytics.Calendar.monthOfYear"), number(day.month()));
  p.insert(QStringLiteral("Analytics.Calendar.quarterOfYear"), number((day.month() + 2) / 3));
  p.insert(QStringLiteral("Analytics.Calendar.hourOfDay"), number(local.time().hour() + 1));
  p.insert(QStringLiteral("Analytics.Device.timeZone"), timeZoneText(local.offsetFromUtc()));

  // Days of use are local days; so is the cutoff 30 days back.
  const QString cutoff = localDay(now - std::chrono::seconds(2592000));
  const int lastMonth = SessionManager::countISODatesOnOrAfter(retention.distinctDaysUsed, cutoff);
  p.insert(QStringLiteral("Analytics.Acquisition.firstSessionDate"),
           retention.firstSessionDate.isEmpty() ? day.toString(Qt::ISODate) : retention.firstSessionDate);
  p.insert(QStringLiteral("Analytics.Retention.averageSessionSeconds"), number(retention.averageSessionSeconds));
  p.insert(QStringLiteral("Analytics.Retention.distinctDaysUsed"), number(retention.distinctDaysUsed.size()));
  p.insert(QStringLiteral("Analytics.Retention.distinctDaysUsedLastMonth"), number(lastMonth));
  p.insert(QStringLiteral("Analytics.Retention.totalSessionsCount"), number(retention.totalSessionsCount));
  if (retention.previousSessionSeconds) {
    p.insert(QStringLiteral("Analytics.Retention.previousSessionSeconds"), number(*retention.previousSessionSeconds));
  }
  return p;
}

}  // namespace analytics::DefaultSignalPayload
