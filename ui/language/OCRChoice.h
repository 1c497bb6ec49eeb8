#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The recognition languages a user can choose by hand, in the order of the
// page's rows, which is also the order they are handed to the recogniser.
namespace OCRChoice {

struct Entry {
  QString code;  // recognition code, as stored and handed on
  QString name;  // the language's name in its own script
  friend bool operator==(const Entry&, const Entry&) = default;
};

// The full table of 16 languages.
const QList<Entry>& table();
// The table's entries whose code is among `supported` (exact match), in table order.
QList<Entry> filter(const QStringList& supported);
// filter() of the installed recognition languages, computed once per process.
const QList<Entry>& all();

// The codes of all() that occur in `codes`, in table order, each once; codes
// outside the table or not installed are dropped.
QStringList ordered(const QStringList& codes);

// The languages a recognition pass is given: the hand-picked ones in table
// order when the choice is manual and any of them is installed; otherwise
// the automatic list for the interface language (none: follow the system).
// Never empty.
QStringList preferred(bool manual, const QStringList& stored, const std::optional<QString>& uiLanguage);

}  // namespace OCRChoice
