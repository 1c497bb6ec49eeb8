#include "core/Fonts.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "core/Settings.h"
#include "platform/Bundle.h"

namespace Fonts {
namespace {

// Fonts take whole pixel sizes; a fractional size rounds to the nearest.
int pixels(qreal size) { return std::max(1, int(std::lround(size))); }

// The Latin display face is drawn larger so its small x-height matches the
// other faces at the same nominal size.
constexpr qreal kLatinScale = 1.15;

}  // namespace

const QSet<QString>& latinCodes() {
  static const QSet<QString> codes{
      QStringLiteral("en"), QStringLiteral("de"), QStringLiteral("fr"), QStringLiteral("es"),
      QStringLiteral("it"), QStringLiteral("pt-BR"), QStringLiteral("nl"), QStringLiteral("ca"),
      QStringLiteral("ro"), QStringLiteral("da"), QStringLiteral("nb"), QStringLiteral("sv"),
      QStringLiteral("fi"), QStringLiteral("pl"), QStringLiteral("cs"), QStringLiteral("sk"),
      QStringLiteral("sl"), QStringLiteral("hr"), QStringLiteral("hu"), QStringLiteral("tr"),
      QStringLiteral("id"), QStringLiteral("ms"), QStringLiteral("vi")};
  return codes;
}

QList<int> registerAll() {
  QList<int> ids;
  const QString folder = Bundle::resource(QStringLiteral("Fonts"));
  if (folder.isEmpty()) return ids;
  const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
  for (const QFileInfo& entry : entries) {
    const QString ext = entry.suffix().toLower();
    if (ext != QLatin1String("ttf") && ext != QLatin1String("otf")) continue;
    const int id = QFontDatabase::addApplicationFont(entry.absoluteFilePath());
    if (id >= 0) ids.append(id);
  }
  return ids;
}

QString chooseKoreanFace(const QStringList& families) {
  for (const char* name : {"Noto Serif KR", "Noto Serif CJK KR"}) {
    if (families.contains(QLatin1String(name))) return QString::fromLatin1(name);
  }
  return QStringLiteral("Hahmlet");
}

std::optional<QString> chooseLatinFace(const QStringList& families) {
  const QString name = QStringLiteral("Cormorant Garamond");
  if (families.contains(name)) return name;
  return std::nullopt;
}

// The font database substitutes missing families silently, so presence is
// read from its family list.
QString koreanFace() {
  static const QString face = chooseKoreanFace(QFontDatabase::families());
  return face;
}

std::optional<QString> latinFace() {
  static const std::optional<QString> face = chooseLatinFace(QFontDatabase::families());
  return face;
}

Script scriptFor(const QString& code) {
  if (code == QLatin1String("ko")) return Script::korean;
  if (latinCodes().contains(code)) return Script::latin;
  return Script::other;
}

Script script() { return scriptFor(Settings::shared().language().resolved().rawValue()); }

QFont faceFor(Script script, qreal size, const std::optional<QString>& latin, const QString& korean) {
  QFont font;
  switch (script) {
    case Script::korean:
      font = QFont(korean);
      font.setPixelSize(pixels(size));
      font.setWeight(QFont::Light);
      break;
    case Script::latin:
      if (latin) {
        font = QFont(*latin);
        font.setPixelSize(pixels(size * kLatinScale));
        font.setWeight(QFont::Medium);
      } else {
        font = QFont(QStringLiteral("serif"));
        font.setStyleHint(QFont::Serif);
        font.setPixelSize(pixels(size));
        font.setWeight(QFont::Normal);
      }
      break;
    case Script::other:
      font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
      font.setPixelSize(pixels(size));
      font.setWeight(QFont::Medium);
      break;
  }
  return font;
}

QFont face(qreal size) { return faceFor(script(), size, latinFace(), koreanFace()); }

qreal textWidth(const QString& text, qreal size, QFont::Weight weight) {
  if (text.isEmpty()) return 0;
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setPixelSize(pixels(size));
  font.setWeight(weight);
  return std::ceil(QFontMetricsF(font).horizontalAdvance(text));
}

}  // namespace Fonts
