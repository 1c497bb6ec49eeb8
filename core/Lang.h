#pragma once
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The catalogue of interface texts: one flat JSON object per language in the
// resource folder "Strings", named by language code.
namespace Catalog {

using Texts = QHash<QString, QString>;

// The 35 candidate interface languages, in menu order.
const QStringList& order();
// The candidates whose text file is present; computed once per process.
const QStringList& codes();
// The texts of one code; loaded once and cached, a missing or malformed file as empty.
Texts raw(const QString& code);
// The catalogue code for a system language tag ("zh-HK" -> "zh-Hant"), or none.
std::optional<QString> match(const QString& tag);

}  // namespace Catalog

// The subtags of a BCP-47 language tag. Our own splitter, because QLocale adds
// likely scripts on its own and so cannot tell what a tag really says.
struct LangTag {
  QString language;  // lower case; empty when the tag has none
  QString script;    // title case, four letters, or empty
  QString region;    // upper case, or empty
  static LangTag parse(const QString& tag);
};

// An interface-language choice: "auto" (follow the system) or a catalogue code.
class Lang {
 public:
  Lang() = default;
  explicit Lang(QString rawValue) : raw_(std::move(rawValue)) {}

  const QString& rawValue() const { return raw_; }
  bool isAuto() const { return raw_ == QLatin1String("auto"); }
  // The concrete language: itself unless "auto"; else the first of the
  // system's preferred languages that the catalogue has, else "en".
  Lang resolved() const;
  // True when the resolved language's catalogue says "_rtl": "true".
  bool isRTL() const;

  // Every code of Catalog::codes() as a Lang, in order.
  static QList<Lang> concrete();

  // The system's preferred languages, most preferred first ("C"/"POSIX" give none).
  static QStringList preferredLanguages();
  // Replaces the source of preferred languages (tests); an empty function restores it.
  static void setPreferredLanguagesSource(std::function<QStringList()> source);

  friend bool operator==(const Lang& a, const Lang& b) { return a.raw_ == b.raw_; }

 private:
  QString raw_ = QStringLiteral("auto");
};

inline size_t qHash(const Lang& lang, size_t seed = 0) { return qHash(lang.rawValue(), seed); }
