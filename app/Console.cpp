#include "app/Console.h"

#include <QtGlobal>
#include <cstdio>

namespace console {

namespace {

bool needsEscape(char16_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x200E ||
         c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QString hex(char16_t c, int digits) {
  return QString::number(uint(c), 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

void write(std::FILE* stream, const QString& text) {
  const QByteArray bytes = escaped(text).toUtf8() + '\n';
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
  std::fflush(stream);
}

}  // namespace

QString escaped(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    if (!needsEscape(c)) {
      out += ch;
    } else if (c == u'\n') {
      out += QLatin1String("\\n");
    } else if (c == u'\r') {
      out += QLatin1String("\\r");
    } else if (c == u'\t') {
      out += QLatin1String("\\t");
    } else if (c < 0x80) {
      out += QLatin1String("\\x") + hex(c, 2);
    } else {
      out += QLatin1String("\\u") + hex(c, 4);
    }
  }
  return out;
}

void quietPlatformNotices() {
  static QtMessageHandler previous = nullptr;
  previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // The wording of QPlatformWindow's stubs for what a platform lacks.
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support "))) return;
    if (previous) previous(type, context, message);
  });
}

void line(const QString& text) { write(stdout, text); }

void error(const QString& text) { write(stderr, QStringLiteral("tarvok: ") + text); }

}  // namespace console
