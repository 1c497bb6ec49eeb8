#include "core/Settings.h"

#include "core/Reporting.h"
#include "platform/PrefStore.h"

namespace {

const QString kJoinLines = QStringLiteral("joinLines");
const QString kTables = QStringLiteral("tables");
const QString kHotKeyCode = QStringLiteral("hotKeyCode");
const QString kHotKeyMods = QStringLiteral("hotKeyMods");
const QString kLanguage = QStringLiteral("language");
const QString kRecent = QStringLiteral("recentLanguages");
const QString kOcrManual = QStringLiteral("ocrManual");
const QString kOcrLanguages = QStringLiteral("ocrLanguages");
const QString kOcrFallback = QStringLiteral("ocrFallback");
const QString kFastMode = QStringLiteral("fastMode");
const QString kReports = QStringLiteral("reports");

constexpr qint64 kMaxU32 = 4294967295LL;

QString modeName(bool fast) { return fast ? QStringLiteral("fast") : QStringLiteral("accurate"); }

// A stored shortcut that does not fit the data model reads as the default, and
// modifier bits we never produce are dropped.
Shortcut storedShortcut(const PrefStore& d) {
  if (!d.object(kHotKeyCode).isValid()) return Shortcut::defaultShortcut();
  const qint64 code = d.integer(kHotKeyCode);
  const qint64 mods = d.integer(kHotKeyMods);
  if (code < 0 || code > kMaxU32 || mods < 0 || mods > kMaxU32) return Shortcut::defaultShortcut();
  return Shortcut{uint32_t(code), uint32_t(mods) & Shortcut::kAllMods};
}

}  // namespace

Settings& Settings::shared() {
  static Settings* instance = new Settings(PrefStore::standard());
  return *instance;
}

Settings::Settings(PrefStore& store) : d(store) {
  recentLanguages_ = d.stringList(kRecent).value_or(QStringList());
  d.registerDefaults({{kJoinLines, false},
                      {kTables, true},
                      {kReports, true},
                      {QStringLiteral("NSStatusItem Preferred Position tarvok"), 360}});
  joinLines_ = d.boolValue(kJoinLines);
  tables_ = d.boolValue(kTables);
  const QString lang = d.string(kLanguage).value_or(QStringLiteral("auto"));
  language_ = Lang(lang == QLatin1String("auto") || Catalog::codes().contains(lang) ? lang
                                                                                     : QStringLiteral("auto"));
  ocrManual_ = d.boolValue(kOcrManual);
  ocrLanguages_ = d.stringList(kOcrLanguages).value_or(QStringList());
  const QVariant fallback = d.object(kOcrFallback);
  ocrFallback_ = fallback.typeId() == QMetaType::Bool ? fallback.toBool() : true;
  fastMode_ = d.boolValue(kFastMode);
  reports_ = d.boolValue(kReports);
  shortcut_ = storedShortcut(d);
}

void Settings::setJoinLines(bool value) {
  joinLines_ = value;
  emit changed();
  d.setBool(kJoinLines, value);
}

void Settings::setTables(bool value) {
  tables_ = value;
  emit changed();
  d.setBool(kTables, value);
}

void Settings::setShortcut(Shortcut value) {
  shortcut_ = value;
  emit changed();
  d.setInteger(kHotKeyCode, value.keyCode);
  d.setInteger(kHotKeyMods, value.carbonMods);
}

void Settings::setLanguage(const Lang& value) {
  language_ = value;
  emit changed();
  d.setString(kLanguage, value.rawValue());
  Reporting::signal(QStringLiteral("language.changed"),
                    {{QStringLiteral("language"), value.resolved().rawValue()}});
  if (value.isAuto()) return;
  QStringList recent{value.rawValue()};
  for (const QString& code : recentLanguages_) {
    if (code != value.rawValue()) recent << code;
  }
  setRecentLanguages(recent.mid(0, 3));
}

void Settings::setRecentLanguages(const QStringList& value) {
  recentLanguages_ = value;
  emit changed();
  d.setStringList(kRecent, value);
}

void Settings::setOcrManual(bool value) {
  ocrManual_ = value;
  emit changed();
  d.setBool(kOcrManual, value);
}

void Settings::setOcrLanguages(const QStringList& value) {
  ocrLanguages_ = value;
  emit changed();
  d.setStringList(kOcrLanguages, value);
}

void Settings::setOcrFallback(bool value) {
  ocrFallback_ = value;
  emit changed();
  d.setBool(kOcrFallback, value);
}

void Settings::setFastMode(bool value) {
  fastMode_ = value;
  emit changed();
  d.setBool(kFastMode, value);
  Reporting::signal(QStringLiteral("mode.changed"), {{QStringLiteral("mode"), modeName(value)}});
}

void Settings::setReports(bool value) {
  reports_ = value;
  emit changed();
  d.setBool(kReports, value);
  if (value) {
    Reporting::start();
  } else {
    Reporting::stop();
  }
}

void Settings::setRecording(bool value) {
  recording_ = value;
  emit changed();
}

void Settings::setShortcutNote(std::optional<QString> value) {
  shortcutNote_ = std::move(value);
  emit changed();
}
