#pragma once
// Recognition results and settings helpers shared by the toast tests.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringList>

#include "core/Settings.h"
#include "platform/Appearance.h"
#include "platform/Compositor.h"
#include "recognition/base/Result.h"
#include "tests/support/Printers.h"

namespace samples {

// One piece per row, without geometry.
inline Recognized lines(const QStringList& rows) {
  Recognized r;
  for (const QString& row : rows) r.lines.push_back({Piece{{}, row}});
  return r;
}

inline Table table(int rows, int columns, const QString& prefix = QStringLiteral("c")) {
  Table t;
  for (int r = 0; r < rows; ++r) {
    QStringList row;
    for (int c = 0; c < columns; ++c) row << QStringLiteral("%1%2.%3").arg(prefix).arg(r).arg(c);
    t.rows.push_back(row);
  }
  return t;
}

// A result whose lines are the rows of the table, with the table attached.
inline Recognized withTable(const Table& t) {
  QStringList rows;
  for (const QStringList& row : t.rows) rows << row.join(QLatin1Char(' '));
  Recognized r = lines(rows);
  r.table = t;
  return r;
}

inline Code code(const QString& payload, bool qr) { return Code{{}, payload, qr}; }

// What this process's clipboard holds now.
inline QByteArray clip(const QString& format) {
  const QMimeData* d = QGuiApplication::clipboard()->mimeData();
  return d ? d->data(format) : QByteArray();
}
inline QString clipboardText() {
  const QMimeData* d = QGuiApplication::clipboard()->mimeData();
  return d ? d->text() : QString();
}

// Puts the settings a test depends on back as they were when it ends.
class SettingsScope {
 public:
  SettingsScope()
      : language_(Settings::shared().language()),
        fastMode_(Settings::shared().fastMode()),
        tables_(Settings::shared().tables()),
        joinLines_(Settings::shared().joinLines()) {}
  ~SettingsScope() {
    Settings& s = Settings::shared();
    if (!(s.language() == language_)) s.setLanguage(language_);
    if (s.fastMode() != fastMode_) s.setFastMode(fastMode_);
    if (s.tables() != tables_) s.setTables(tables_);
    if (s.joinLines() != joinLines_) s.setJoinLines(joinLines_);
    Appearance::setForced(std::nullopt);
    Appearance::setReduceMotionForced(std::nullopt);
    Compositor::setForced(std::nullopt);
  }
  SettingsScope(const SettingsScope&) = delete;
  SettingsScope& operator=(const SettingsScope&) = delete;

 private:
  Lang language_;
  bool fastMode_;
  bool tables_;
  bool joinLines_;
};

}  // namespace samples
