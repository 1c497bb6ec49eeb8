#include "app/OutsideClicks.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QCoreApplication>
#include <QCursor>
#include <QMetaObject>
#include <QPointer>

#include "platform/X11.h"

OutsideClicks::OutsideClicks(QObject* parent) : QObject(parent) {}

OutsideClicks::~OutsideClicks() {
  setWatching(false);
  if (filterInstalled_ && QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

void OutsideClicks::setWatching(bool on) {
  if (on == watching_) return;
  if (select(on) || !on) watching_ = on;
}

bool OutsideClicks::select(bool on) {
  xcb_connection_t* conn = x11::connection();
  if (!conn) return false;
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(conn, &xcb_input_id);
  if (!ext || !ext->present) return false;
  opcode_ = ext->major_opcode;
  if (on && !filterInstalled_) {
    QCoreApplication::instance()->installNativeEventFilter(this);
    filterInstalled_ = true;
  }
  // Master devices only: Qt keeps its own selection for all devices on the
  // root window, and a selection is per device, so the two do not collide.
  struct {
    xcb_input_event_mask_t head;
    uint32_t bits;
  } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, on ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0u};
  xcb_input_xi_select_events(conn, x11::root(conn), 1, &mask.head);
  xcb_flush(conn);
  return true;
}

bool OutsideClicks::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (!watching_ || eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_GE_GENERIC) return false;
  const auto* ge = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
  if (ge->extension != opcode_ || ge->event_type != XCB_INPUT_RAW_BUTTON_PRESS) return false;
  // Raw events carry no position; the pointer has not moved since the press
  // in any way that matters. The callback runs outside the filter.
  QPointer<OutsideClicks> self(this);
  const QPoint at = QCursor::pos();
  QMetaObject::invokeMethod(
      this,
      [self, at] {
        if (self && self->watching_ && self->onPress) self->onPress(at);
      },
      Qt::QueuedConnection);
  return false;
}
