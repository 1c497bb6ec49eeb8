#pragma once
#include <QRegion>

class QWidget;

// The part of a top-level window that takes the pointer, leaving its look
// alone: a translucent panel's shadow must let clicks through to what lies
// under it (the tray icon, the desktop). Does nothing off X11.
namespace inputshape {

// Limits the window's input to `region` (logical pixels); an empty region
// gives the whole window back.
void set(QWidget* window, const QRegion& region);

}  // namespace inputshape
