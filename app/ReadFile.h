#pragma once
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

#include "app/RecognitionRoad.h"

// "-read PATH": one recognition of an image file, printed to the console.
namespace readfile {

// The largest image "-read" takes: 2^26 pixels (256 MB at four bytes a
// pixel), which holds an 8K screen, a strip of three 5K or two 8K screens.
// Anything larger is refused before it is decoded, so that reading and
// recognising stay within a bounded amount of memory.
inline constexpr qint64 kMaxPixels = qint64(1) << 26;
// Qt's own decoding limit, in MB. Qt counts at least four bytes a pixel and
// eight for 16-bit colour, so this lets a 16-bit image of kMaxPixels decode.
inline constexpr int kDecodeLimitMb = 512;

// Why a file gave no image.
enum class Failure { none, notFound, unreadable, notRegular, unsupported, tooLarge, corrupt };

struct Loaded {
  QImage image;
  Failure failure = Failure::none;
  QString why;  // the reason as printed, without the path
  QByteArray format;      // the decoder's name ("jpeg")
  bool cutShort = false;  // decoded, but the file ends early: part of the picture is blank
};

// Opens `path` (the file name's bytes, as the user gave them) for reading
// without ever blocking: a named pipe, a device or a folder is refused from
// its metadata before anything is read. Returns the descriptor, or -1 with
// `out` telling why.
int openRegular(const QByteArray& path, Loaded& out);

// Decodes the image from an open descriptor (and closes it), refusing images
// over kMaxPixels from their header where the format tells the size.
// A file the content test cannot decode is tried again as the format its
// name's `suffix` names ("tga"): a format without a signature is known by
// its name alone.
Loaded decode(int fd, const QByteArray& suffix = {});

// What "-read" recognises: the text with the languages of the system (the
// menu's OCR choice is not used), fast or accurate with the other as the
// fast path's fallback only, and always the thorough code pass.
Recognized recognize(const QImage& image, bool fast, const road::Engines& engines = road::realEngines());

// The printed lines for an image of `size`: the summary, the codes, the
// meta line, "글:", then the rows of the text.
QStringList report(const QSize& size, bool fast, double seconds, const Recognized& merged);

// Opens the file (`path` as the bytes the user gave), then decodes and
// recognises it off the GUI thread and prints; calls `exit` with 0 when done,
// or with 1 after "못 열음: PATH" (and the reason on standard error) when the
// file cannot be read as an image. PATH is printed readable and escaped.
void run(const QByteArray& path, std::function<void(int)> exit);

}  // namespace readfile
