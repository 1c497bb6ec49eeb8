#pragma once
// Another X client that owns the CLIPBOARD selection: it serves the given
// targets (large ones incrementally, as real programs do), or, when hung,
// never answers a request at all.
#include <poll.h>
#include <xcb/xcb.h>

#include <QByteArray>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>
#include <vector>

#include "tests/support/XWindows.h"

namespace xowner {

using xwindows::atom;

class Owner {
 public:
  // Serves `targets` (name -> bytes); values larger than `chunk` go by INCR.
  // A slow owner waits `delayMs` before each answer.
  explicit Owner(std::map<QByteArray, QByteArray> targets, bool hung = false, int chunk = 64 * 1024, int delayMs = 0)
      : targets_(std::move(targets)), hung_(hung), chunk_(chunk), delayMs_(delayMs), conn_(xcb_connect(nullptr, nullptr)) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data;
    window_ = xcb_generate_id(conn_);
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t clipboard = atom(conn_, "CLIPBOARD");
    xcb_set_selection_owner(conn_, window_, clipboard, XCB_CURRENT_TIME);
    // A round trip: other clients see us as the owner from here on, not the
    // previous one whose request might still be on its way.
    auto* owner = xcb_get_selection_owner_reply(conn_, xcb_get_selection_owner(conn_, clipboard), nullptr);
    owns_ = owner && owner->owner == window_;
    std::free(owner);
    thread_ = std::thread([this] { serve(); });
  }
  ~Owner() {
    stop_ = true;
    thread_.join();
    xcb_disconnect(conn_);
  }
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;

  int requests() const { return requests_; }
  bool owns() const { return owns_; }

  // Leaves the clipboard with no owner at all.
  static void clearClipboard() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_set_selection_owner(c, XCB_NONE, atom(c, "CLIPBOARD"), XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // a round trip: done
    xcb_disconnect(c);
  }

 private:
  void notify(const xcb_selection_request_event_t* req, xcb_atom_t property) {
    xcb_selection_notify_event_t n{};
    n.response_type = XCB_SELECTION_NOTIFY;
    n.time = req->time;
    n.requestor = req->requestor;
    n.selection = req->selection;
    n.target = req->target;
    n.property = property;
    xcb_send_event(conn_, 0, req->requestor, 0, reinterpret_cast<const char*>(&n));
    xcb_flush(conn_);
  }

  void put(const xcb_selection_request_event_t* req, xcb_atom_t property, xcb_atom_t type, uint8_t format,
           uint32_t count, const void* data) {
    xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, req->requestor, property, type, format, count, data);
  }

  void answer(const xcb_selection_request_event_t* req) {
    ++requests_;
    if (hung_) return;
    if (delayMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
    const xcb_atom_t property = req->property == XCB_NONE ? req->target : req->property;
    if (req->target == atom(conn_, "TARGETS")) {
      std::vector<xcb_atom_t> list{req->target};
      for (const auto& entry : targets_) list.push_back(atom(conn_, entry.first.constData()));
      put(req, property, XCB_ATOM_ATOM, 32, uint32_t(list.size()), list.data());
      return notify(req, property);
    }
    for (const auto& [name, bytes] : targets_) {
      if (atom(conn_, name.constData()) != req->target) continue;
      if (bytes.size() <= chunk_) {
        put(req, property, req->target, 8, uint32_t(bytes.size()), bytes.constData());
        return notify(req, property);
      }
      return sendIncrementally(req, property, bytes);
    }
    notify(req, XCB_NONE);
  }

  // The INCR protocol: announce the size, then one chunk per deletion of the
  // property by the requestor, and a zero-length chunk at the end.
  void sendIncrementally(const xcb_selection_request_event_t* req, xcb_atom_t property, const QByteArray& bytes) {
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(conn_, req->requestor, XCB_CW_EVENT_MASK, &mask);
    const uint32_t size = uint32_t(bytes.size());
    put(req, property, atom(conn_, "INCR"), 32, 1, &size);
    notify(req, property);
    for (qsizetype offset = 0;; offset += chunk_) {
      if (!waitForDelete(req->requestor, property)) return;
      const qsizetype n = std::clamp<qsizetype>(bytes.size() - offset, 0, chunk_);
      put(req, property, req->target, 8, uint32_t(n), bytes.constData() + offset);
      xcb_flush(conn_);
      if (n == 0) return;
    }
  }

  bool waitForDelete(xcb_window_t window, xcb_atom_t property) {
    for (int spins = 0; spins < 500 && !stop_; ++spins) {
      while (xcb_generic_event_t* e = xcb_poll_for_event(conn_)) {
        const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e);
        const bool done = (e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && p->window == window &&
                          p->atom == property && p->state == XCB_PROPERTY_DELETE;
        std::free(e);
        if (done) return true;
      }
      pollfd fd{xcb_get_file_descriptor(conn_), POLLIN, 0};
      ::poll(&fd, 1, 10);
    }
    return false;
  }

  void serve() {
    while (!stop_) {
      pollfd fd{xcb_get_file_descriptor(conn_), POLLIN, 0};
      ::poll(&fd, 1, 20);
      while (xcb_generic_event_t* e = xcb_poll_for_event(conn_)) {
        if ((e->response_type & 0x7f) == XCB_SELECTION_REQUEST)
          answer(reinterpret_cast<xcb_selection_request_event_t*>(e));
        std::free(e);
      }
    }
  }

  std::map<QByteArray, QByteArray> targets_;
  bool hung_;
  qsizetype chunk_;
  int delayMs_;
  xcb_connection_t* conn_;
  xcb_window_t window_ = XCB_NONE;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  bool owns_ = false;
  std::thread thread_;
};

}  // namespace xowner
