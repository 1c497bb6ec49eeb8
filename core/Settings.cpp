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

void Settings::assign(bool& field, const QString& key, bool value) {
  field = value;
  emit changed();
  d.setBool(key, value);
}

void Settings::assign(QStringList& field, const QString& key, const QStringList& value) {
  field = value;
  emit changed();
  d.setStringList(key, value);
}

void Settings::setJoinLines(bool value) { assign(joinLines_, kJoinLines, value); }
void Settings::setTables(bool value) { assign(tables_, kTables, value); }
void Settings::setOcrManual(bool value) { assign(ocrManual_, kOcrManual, value); }
void Settings::setOcrFallback(bool value) { assign(ocrFallback_, kOcrFallback, value); }
void Settings::setRecentLanguages(const QStringList& value) { assign(recentLanguages_, kRecent, value); }
void Settings::setOcrLanguages(const QStringList& value) { assign(ocrLanguages_, kOcrLanguages, value); }

void Settings::setShortcut(Shortcut value) {
  shortcut_ = value;
  emit changed();
  d.setIntegers({{kHotKeyCode, value.keyCode}, {kHotKeyMods, value.carbonMods}});
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

void Settings::setFastMode(bool value) {
  assign(fastMode_, kFastMode, value);
  Reporting::signal(QStringLiteral("mode.changed"), {{QStringLiteral("mode"), modeName(value)}});
}

void Settings::setReports(bool value) {
  assign(reports_, kReports, value);
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
