#pragma once
#include <QImage>
#include <QStringList>
#include <optional>

#include "recognition/base/Result.h"

// The fast recognition path: one cheap engine pass, lines only, no geometry.
// Used in fast mode and as a second try when the accurate road finds nothing.
//
// The engine's own layout analysis finds the lines here, not the text
// detector. Reading the detector's boxes in one pass gave the accurate
// road's quality (dialog words 98 % against 81 %, page errors 0.7 % against
// 2.5 %) in about twice the time: the bench's dialogs 15 s against 7.8 s in
// all, its pages 45 s against 25 s, a dense 1600 x 1000 page 1.1 s against
// 0.6 s. Only a full-HD desktop of dialogs read faster (0.69 s against
// 0.79 s). Fast mode is chosen for speed; quality is the accurate mode's.
namespace LiveText {

// The languages the fast path reads with for the preferred codes: those of
// the accurate road's first pass (Recognizer::firstPassLanguages), so that
// Korean chosen in the menu is read as Korean in either mode.
QStringList languagesFor(const QStringList& prefer);

// The lines of the image, one single-piece row per line (zero rectangle,
// text trimmed of spaces and tabs, but for a monospace block's indentation
// in front), no table, no codes; none when nothing was read. `prefer` is the user's language choice, as the accurate road gets it.
// Blocking: call it from a worker thread. On the GUI thread it reads
// nothing, warns and returns none, so that a capture can never freeze the
// interface.
std::optional<Recognized> read(const QImage& image, const QStringList& prefer);

// Starts the fast path's engine for `prefer` on a background thread and
// returns at once.
void warmUp(const QStringList& prefer);
// Recognizer::coolDown, keeping as many engines as the warm-up starts.
void coolDown(const QStringList& prefer);

// The transcript split into rows the way read() returns them: lines at line
// feeds, each trimmed of spaces and tabs, blank ones left out; none when no
// row is left.
std::optional<Recognized> rowsOf(const QString& transcript);

}  // namespace LiveText
