#include "capture/Still.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "capture/WindowList.h"
#include "core/Ink.h"
#include "platform/X11.h"

namespace capture {

QColor dimColor() {
  QColor c = Ink::mook();
  c.setAlphaF(0.42f);
  return c;
}

QImage dimmedCopy(const QImage& image) {
  if (image.isNull()) return {};
  const QImage src = image.convertToFormat(QImage::Format_RGB32);
  QImage out(src.size(), QImage::Format_RGB32);
  const QColor dim = dimColor();
  // Copy and dim one band of rows; a 4K still is split over a few threads.
  auto band = [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) std::memcpy(out.scanLine(y), src.constScanLine(y), size_t(out.width()) * 4);
    QImage rows(out.scanLine(y0), out.width(), y1 - y0, out.bytesPerLine(), QImage::Format_RGB32);
    QPainter(&rows).fillRect(rows.rect(), dim);
  };
  const int h = out.height();
  const int bands = qint64(out.width()) * h > 2'000'000 ? 4 : 1;
  std::vector<std::thread> helpers;
  for (int i = 1; i < bands; ++i) helpers.emplace_back(band, h * i / bands, h * (i + 1) / bands);
  band(0, h / bands);
  for (std::thread& t : helpers) t.join();
  return out;
}

namespace {

const xcb_format_t* formatFor(const xcb_setup_t* setup, uint8_t depth) {
  xcb_format_iterator_t it = xcb_setup_pixmap_formats_iterator(setup);
  for (; it.rem; xcb_format_next(&it)) {
    if (it.data->depth == depth) return it.data;
  }
  return nullptr;
}

const xcb_visualtype_t* visualFor(const xcb_screen_t* screen, xcb_visualid_t id) {
  xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(screen);
  for (; d.rem; xcb_depth_next(&d)) {
    xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data);
    for (; v.rem; xcb_visualtype_next(&v)) {
      if (v.data->visual_id == id) return v.data;
    }
  }
  return nullptr;
}

void freeReply(void* reply) { std::free(reply); }

// The screen whose root DISPLAY names.
const xcb_screen_t* screenOf(xcb_connection_t* conn) {
  const xcb_window_t root = x11::root(conn);
  for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn)); it.rem; xcb_screen_next(&it)) {
    if (it.data->root == root) return it.data;
  }
  return nullptr;
}

}  // namespace

QImage grabRoot(xcb_connection_t* conn, const QRect& rect) {
  if (!conn || xcb_connection_has_error(conn)) return {};
  const xcb_setup_t* setup = xcb_get_setup(conn);
  const xcb_screen_t* screen = screenOf(conn);
  if (!screen) return {};
  const QRect r = rect.intersected(QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels));
  if (r.isEmpty()) return {};
  const xcb_format_t* fmt = formatFor(setup, screen->root_depth);
  const xcb_visualtype_t* visual = visualFor(screen, screen->root_visual);
  if (!fmt || !visual || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return {};
  QImage::Format qfmt = QImage::Format_Invalid;
  if (fmt->bits_per_pixel == 32 && visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 &&
      visual->blue_mask == 0xff)
    qfmt = QImage::Format_RGB32;
  else if (fmt->bits_per_pixel == 16 && visual->red_mask == 0xf800 && visual->green_mask == 0x7e0 &&
           visual->blue_mask == 0x1f)
    qfmt = QImage::Format_RGB16;
  if (qfmt == QImage::Format_Invalid) return {};

  xcb_get_image_reply_t* reply = xcb_get_image_reply(
      conn,
      xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, int16_t(r.x()), int16_t(r.y()),
                    uint16_t(r.width()), uint16_t(r.height()), ~0u),
      nullptr);
  if (!reply) return {};
  const int pad = fmt->scanline_pad;
  const int bpl = ((r.width() * fmt->bits_per_pixel + pad - 1) / pad) * pad / 8;
  const int length = xcb_get_image_data_length(reply);
  if (length < bpl * r.height()) {
    std::free(reply);
    return {};
  }
  // The reply's memory becomes the image's: no copy of a 4K frame.
  QImage image(xcb_get_image_data(reply), r.width(), r.height(), bpl, qfmt, freeReply, reply);
  if (qfmt != QImage::Format_RGB32) return image.convertToFormat(QImage::Format_RGB32);
  return image;
}

void takeStill(const QByteArray& display, const QRect& rootRect, uint32_t ownPid, QObject* context,
               std::function<void(std::optional<Still>)> done) {
  QPointer<QObject> guard(context);
  std::thread([display, rootRect, ownPid, guard, done = std::move(done)]() mutable {
    std::optional<Still> still;
    xcb_connection_t* conn = xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
    if (conn && !xcb_connection_has_error(conn)) {
      QImage image = grabRoot(conn, rootRect);
      if (!image.isNull()) {
        still.emplace();
        still->frames = onScreenFrames(conn, x11::root(conn), ownPid);
        still->dimmed = dimmedCopy(image);
        still->image = std::move(image);
      }
    }
    if (conn) xcb_disconnect(conn);
    QMetaObject::invokeMethod(
        qApp,
        [guard, done = std::move(done), still = std::move(still)]() mutable {
          if (guard) done(std::move(still));
        },
        Qt::QueuedConnection);
  }).detach();
}

}  // namespace capture
