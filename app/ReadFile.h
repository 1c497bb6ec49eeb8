#pragma once
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

#include "app/RecognitionRoad.h"

// "-read PATH": one recognition of an image file, printed to the console.
namespace readfile {

// What "-read" recognises: the text with the languages of the system (the
// menu's OCR choice is not used), fast or accurate with the other as the
// fast path's fallback only, and always the thorough code pass.
Recognized recognize(const QImage& image, bool fast, const road::Engines& engines = road::realEngines());

// The four printed lines for an image of `size` (the last holds the text
// after a line break).
QStringList report(const QSize& size, bool fast, double seconds, const Recognized& merged);

// Loads the file and recognises it off the GUI thread, then prints; calls
// `exit` with 0 when done, or with 1 after "못 열음: PATH" when the file
// cannot be read as an image.
void run(const QString& path, std::function<void(int)> exit);

}  // namespace readfile
