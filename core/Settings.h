#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/Lang.h"
#include "core/Shortcut.h"

class PrefStore;

// The one preferences object of the process. Every assignment stores the value
// at once and runs its side effects, also when the value is unchanged; views
// observe `changed`.
class Settings : public QObject {
  Q_OBJECT
 public:
  static Settings& shared();

  bool joinLines() const { return joinLines_; }
  bool tables() const { return tables_; }
  Shortcut shortcut() const { return shortcut_; }
  Lang language() const { return language_; }
  QStringList recentLanguages() const { return recentLanguages_; }
  bool ocrManual() const { return ocrManual_; }
  QStringList ocrLanguages() const { return ocrLanguages_; }
  bool ocrFallback() const { return ocrFallback_; }
  bool fastMode() const { return fastMode_; }
  bool reports() const { return reports_; }
  bool recording() const { return recording_; }
  std::optional<QString> shortcutNote() const { return shortcutNote_; }

  void setJoinLines(bool value);
  void setTables(bool value);
  void setShortcut(Shortcut value);
  void setLanguage(const Lang& value);
  void setRecentLanguages(const QStringList& value);
  void setOcrManual(bool value);
  void setOcrLanguages(const QStringList& value);
  void setOcrFallback(bool value);
  void setFastMode(bool value);
  void setReports(bool value);
  void setRecording(bool value);
  void setShortcutNote(std::optional<QString> value);

  // A settings object over another store (tests); the app uses shared().
  explicit Settings(PrefStore& store);

 signals:
  void changed();

 private:
  // Sets a stored field: memory, observers, then the store.
  void assign(bool& field, const QString& key, bool value);
  void assign(QStringList& field, const QString& key, const QStringList& value);

  PrefStore& d;
  bool joinLines_ = false;
  bool tables_ = true;
  Shortcut shortcut_ = Shortcut::defaultShortcut();
  Lang language_;
  QStringList recentLanguages_;
  bool ocrManual_ = false;
  QStringList ocrLanguages_;
  bool ocrFallback_ = true;
  bool fastMode_ = false;
  bool reports_ = true;
  bool recording_ = false;
  std::optional<QString> shortcutNote_;
};
