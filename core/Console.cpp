#include "core/Console.h"

#include <QStringDecoder>
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

QString fileName(const QByteArray& native) {
  QString out;
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  qsizetype i = 0;
  while (i < native.size()) {
    // The longest run that decodes cleanly, then one byte that does not.
    qsizetype end = i;
    while (end < native.size()) {
      const uchar lead = uchar(native[end]);
      const qsizetype len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
      if (len == 0 || end + len > native.size()) break;
      const QString one = utf8.decode(native.mid(end, len));
      if (utf8.hasError()) {
        utf8.resetState();
        break;
      }
      out += one;
      end += len;
    }
    if (end < native.size()) {
      out += QLatin1String("\\x") + hex(uchar(native[end]), 2);
      ++end;
    }
    i = end;
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
