#pragma once
#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QRect>
#include <functional>
#include <optional>
#include <vector>

struct xcb_connection_t;

namespace capture {

// One frozen screen: its pixels, the same pixels under the overlay's dimming
// (made once, so pointer moves only copy), and the other windows' frames in
// root pixels, front-most first.
struct Still {
  QImage image;
  QImage dimmed;
  std::vector<QRect> frames;
};

// The dimming every untargeted part of the overlay shows: ink at 42 %.
QColor dimColor();
QImage dimmedCopy(const QImage& image);

// The pixels of a rectangle of the root window (clipped to it), as an opaque
// image; null on failure or an unsupported pixel format.
QImage grabRoot(xcb_connection_t* conn, const QRect& rect);

// Takes the still of `rootRect` on a thread of its own, with its own
// connection to `display`, and hands it to `done` on the main thread, unless
// `context` is gone by then. None when the server gives no pixels.
void takeStill(const QByteArray& display, const QRect& rootRect, uint32_t ownPid, QObject* context,
               std::function<void(std::optional<Still>)> done);

}  // namespace capture
