#pragma once
#include <QString>

// The console output of the developer switches: each message is one line,
// written as UTF-8 and flushed at once, so that a reader of a pipe sees it
// while the process is still running. What an image or a file name brings
// along (a code's payload, recognised text, a path) never reaches the
// terminal raw: an escape sequence could retitle or clear it, and a line
// break inside a payload would shift the lines a reader counts on.
namespace console {

// `text` with every control character written out: line feed, carriage
// return and tab as \n \r \t, other ASCII controls and DEL as \xHH, C1
// controls, the line and paragraph separators and the bidirectional
// controls as \uHHHH. Everything else, backslashes included, is unchanged.
QString escaped(const QString& text);

// A file name as the bytes the system gave, readable: what is UTF-8 as its
// text, every other byte as \xHH.
QString fileName(const QByteArray& native);

// One line on standard output; `text` is escaped first.
void line(const QString& text);
// One line on standard error, "tarvok: " first; `text` is escaped first.
void error(const QString& text);

// In a console switch the windows shown for the run (the marker, the toast)
// usually live on Qt's offscreen platform, which says on every call that it
// cannot shape or raise a window. This drops exactly those notices and passes
// every other message on.
void quietPlatformNotices();

}  // namespace console
