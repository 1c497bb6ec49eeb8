#include "app/InputShape.h"

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QWidget>
#include <cmath>
#include <vector>

#include "platform/X11.h"

namespace inputshape {

void set(QWidget* window, const QRegion& region) {
  xcb_connection_t* conn = x11::connection();
  if (!conn || !window) return;
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(conn, &xcb_shape_id);
  if (!ext || !ext->present) return;
  const auto id = xcb_window_t(window->winId());
  if (region.isEmpty()) {
    xcb_shape_mask(conn, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, id, 0, 0, XCB_NONE);
  } else {
    const qreal ratio = window->devicePixelRatioF();
    std::vector<xcb_rectangle_t> rects;
    for (const QRect& r : region) {
      const int x0 = int(std::floor(r.x() * ratio)), y0 = int(std::floor(r.y() * ratio));
      const int x1 = int(std::ceil((r.x() + r.width()) * ratio)), y1 = int(std::ceil((r.y() + r.height()) * ratio));
      rects.push_back({int16_t(x0), int16_t(y0), uint16_t(x1 - x0), uint16_t(y1 - y0)});
    }
    xcb_shape_rectangles(conn, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, id, 0, 0,
                         uint32_t(rects.size()), rects.data());
  }
  xcb_flush(conn);
}

}  // namespace inputshape
