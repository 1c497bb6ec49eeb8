#pragma once
#include <QByteArrayView>
#include <QSize>
#include <optional>

// What an image file's own bytes say beyond its decoder: the size a header
// declares where the decoder gives none before failing, and whether the file
// ends before the end its format marks (an interrupted download still
// decodes, with the missing part blank).
namespace imageheader {

// The largest size a GIF (its screen and frames) or BMP header declares in
// `file`; none for other formats or a header that tells none. `format` is the
// decoder's name ("gif", "bmp").
std::optional<QSize> declaredSize(const QByteArray& format, QByteArrayView file);

// True when a JPEG or GIF file stops before its end marker, or an
// uncompressed BMP before the pixels its header counts. No bytes: false.
bool cutShort(const QByteArray& format, QByteArrayView file);

// The scans of a JPEG file (a progressive one has several, each a pass over
// the whole picture); 0 for anything else.
int jpegScans(QByteArrayView file);

// A PNG file without its text chunks (tEXt, zTXt, iTXt), which the decoder
// holds in full, inflated: a few kilobytes of compressed text can unpack to
// gigabytes. Empty when `file` is no PNG or has no compressed text.
QByteArray pngWithoutText(QByteArrayView file);

}  // namespace imageheader
