// A picture on the X screen for the benches that capture it.
#pragma once
#include <QImage>
#include <QPoint>
#include <algorithm>
#include <xcb/xcb.h>

// A window of another client showing `image`, painted by the server.
struct Picture {
  xcb_connection_t* conn;
  xcb_window_t window;
  Picture(const QImage& image, QPoint at) {
    conn = xcb_connect(nullptr, nullptr);
    xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    const xcb_pixmap_t pixmap = xcb_generate_id(conn);
    xcb_create_pixmap(conn, s->root_depth, pixmap, s->root, uint16_t(image.width()), uint16_t(image.height()));
    const xcb_gcontext_t gc = xcb_generate_id(conn);
    xcb_create_gc(conn, gc, pixmap, 0, nullptr);
    for (int y = 0; y < image.height(); y += 20) {
      const int n = std::min(20, image.height() - y);
      xcb_put_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(image.width()), uint16_t(n), 0, int16_t(y), 0,
                    s->root_depth, uint32_t(image.width() * n * 4), image.constScanLine(y));
    }
    window = xcb_generate_id(conn);
    const uint32_t values[] = {pixmap, 1};
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, window, s->root, int16_t(at.x()), int16_t(at.y()),
                      uint16_t(image.width()), uint16_t(image.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      s->root_visual, XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(conn, window);
    xcb_flush(conn);
  }
  ~Picture() { xcb_disconnect(conn); }
};
