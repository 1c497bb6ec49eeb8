#include "toast/SelectionReader.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <QString>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>

#include "toast/ClipboardBackup.h"
#include "toast/ToastLog.h"

namespace selection {
namespace {

using Clock = std::chrono::steady_clock;

struct EventDeleter {
  void operator()(xcb_generic_event_t* e) const { std::free(e); }
};
using Event = std::unique_ptr<xcb_generic_event_t, EventDeleter>;

// One read over one private connection with a window to receive the data.
class Reader {
 public:
  Reader(const QByteArray& display, const Limits& limits)
      : limits_(limits), end_(Clock::now() + std::chrono::milliseconds(limits.totalMs)) {
    conn_ = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screen_);
    if (xcb_connection_has_error(conn_)) return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn_));
    for (int i = 0; i < screen_ && it.rem > 0; ++i) xcb_screen_next(&it);
    if (!it.data) return;
    window_ = xcb_generate_id(conn_);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, window_, it.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    property_ = atom("TARVOK_SELECTION");
    incr_ = atom("INCR");
    ok_ = property_ != XCB_NONE && incr_ != XCB_NONE;
  }
  ~Reader() { xcb_disconnect(conn_); }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  bool ok() const { return ok_; }

  xcb_atom_t atom(const QByteArray& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        conn_, xcb_intern_atom(conn_, 0, uint16_t(name.size()), name.constData()), nullptr);
    if (!reply) return XCB_NONE;
    const xcb_atom_t a = reply->atom;
    std::free(reply);
    return a;
  }

  QByteArray name(xcb_atom_t a) {
    xcb_get_atom_name_reply_t* reply = xcb_get_atom_name_reply(conn_, xcb_get_atom_name(conn_, a), nullptr);
    if (!reply) return {};
    QByteArray n(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply));
    std::free(reply);
    return n;
  }

  xcb_window_t owner(xcb_atom_t selection) {
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(conn_, xcb_get_selection_owner(conn_, selection), nullptr);
    const xcb_window_t window = reply ? reply->owner : xcb_window_t(XCB_NONE);
    std::free(reply);
    return window;
  }

  enum class Outcome { data, refused, silent };

  // Asks the owner to convert the selection to `target`; on `data`, `out` holds the bytes.
  Outcome convert(xcb_atom_t selection, xcb_atom_t target, QByteArray& out) {
    out.clear();
    tooLarge_ = false;
    xcb_delete_property(conn_, window_, property_);
    xcb_convert_selection(conn_, window_, selection, target, property_, XCB_CURRENT_TIME);
    xcb_flush(conn_);
    Event notify = waitFor([&](const xcb_generic_event_t* e) {
      if ((e->response_type & 0x7f) != XCB_SELECTION_NOTIFY) return false;
      auto* n = reinterpret_cast<const xcb_selection_notify_event_t*>(e);
      return n->requestor == window_ && n->selection == selection && n->target == target;
    });
    if (!notify) return Outcome::silent;
    if (reinterpret_cast<xcb_selection_notify_event_t*>(notify.get())->property == XCB_NONE) return Outcome::refused;

    xcb_atom_t type = XCB_NONE;
    if (!take(out, type)) return Outcome::refused;
    if (type != incr_) return Outcome::data;

    // Incremental transfer: our delete of the INCR property (done by take)
    // asks for the first chunk; each chunk arrives as a new value of the
    // property and a zero-length one ends the transfer.
    out.clear();
    for (;;) {
      Event next = waitFor([&](const xcb_generic_event_t* e) {
        if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
        auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
        return p->window == window_ && p->atom == property_ && p->state == XCB_PROPERTY_NEW_VALUE;
      });
      if (!next) return Outcome::silent;
      QByteArray chunk;
      xcb_atom_t chunkType = XCB_NONE;
      if (!take(chunk, chunkType)) return Outcome::refused;
      if (chunk.isEmpty()) return Outcome::data;
      if (out.size() + chunk.size() > limits_.maxBytes) {
        tooLarge_ = true;
        return Outcome::refused;
      }
      out += chunk;
    }
  }

  bool tooLarge() const { return tooLarge_; }

 private:
  // Reads and deletes the property; false when it is missing or too large.
  bool take(QByteArray& out, xcb_atom_t& type) {
    const uint32_t words = uint32_t(std::min<qsizetype>(limits_.maxBytes / 4 + 1, UINT32_MAX));
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        conn_, xcb_get_property(conn_, 1, window_, property_, XCB_GET_PROPERTY_TYPE_ANY, 0, words), nullptr);
    if (!reply) return false;
    const bool whole = reply->bytes_after == 0;
    type = reply->type;
    if (whole && reply->type != XCB_NONE) {
      const int length = xcb_get_property_value_length(reply);
      out = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)), length);
    }
    const bool present = reply->type != XCB_NONE;
    std::free(reply);
    if (!whole) {
      xcb_delete_property(conn_, window_, property_);
      tooLarge_ = true;
    }
    return whole && present;
  }

  // The first event that passes `match`, waiting out the owner's silence up
  // to the idle limit and the whole read up to its end; null on time-out.
  Event waitFor(const std::function<bool(const xcb_generic_event_t*)>& match) {
    const auto idleEnd = std::min(end_, Clock::now() + std::chrono::milliseconds(limits_.idleMs));
    for (;;) {
      while (xcb_generic_event_t* raw = xcb_poll_for_event(conn_)) {
        Event e(raw);
        if (match(e.get())) return e;
      }
      if (xcb_connection_has_error(conn_)) return nullptr;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(idleEnd - Clock::now()).count();
      if (left <= 0) return nullptr;
      pollfd fd{xcb_get_file_descriptor(conn_), POLLIN, 0};
      ::poll(&fd, 1, int(left));
    }
  }

  Limits limits_;
  Clock::time_point end_;
  xcb_connection_t* conn_ = nullptr;
  int screen_ = 0;
  xcb_window_t window_ = XCB_NONE;
  xcb_atom_t property_ = XCB_NONE;
  xcb_atom_t incr_ = XCB_NONE;
  bool ok_ = false;
  bool tooLarge_ = false;
};

std::optional<Contents> readTargets(Reader& reader, xcb_atom_t selection) {
  Contents contents;
  contents.owned = true;

  QByteArray list;
  switch (reader.convert(selection, reader.atom("TARGETS"), list)) {
    case Reader::Outcome::silent:
      qCWarning(lcToast) << "the clipboard owner did not answer for its formats";
      return std::nullopt;
    case Reader::Outcome::refused:
      return contents;  // an owner without formats holds nothing we could keep
    case Reader::Outcome::data:
      break;
  }
  const auto* atoms = reinterpret_cast<const xcb_atom_t*>(list.constData());
  const qsizetype count = list.size() / qsizetype(sizeof(xcb_atom_t));
  for (qsizetype i = 0; i < count; ++i) {
    const QByteArray target = reader.name(atoms[i]);
    if (target.isEmpty() || ClipboardBackup::isPseudoFormat(QString::fromLatin1(target))) continue;
    bool seen = false;
    for (const auto& [name, bytes] : contents.targets) seen = seen || name == target;
    if (seen) continue;
    QByteArray bytes;
    switch (reader.convert(selection, atoms[i], bytes)) {
      case Reader::Outcome::silent:
        qCWarning(lcToast) << "the clipboard owner stopped answering at" << target;
        return std::nullopt;
      case Reader::Outcome::refused:
        if (reader.tooLarge()) qCInfo(lcToast) << "clipboard format" << target << "is too large to keep";
        break;
      case Reader::Outcome::data:
        contents.targets.emplace_back(target, bytes);
        break;
    }
  }
  return contents;
}

}  // namespace

std::optional<Contents> read(const QByteArray& display, const QByteArray& selectionName, const Limits& limits,
                             std::uint32_t expected) {
  Reader reader(display, limits);
  if (!reader.ok()) return std::nullopt;
  const xcb_atom_t selection = reader.atom(selectionName);
  const xcb_window_t owner = reader.owner(selection);
  if (expected != 0 && owner != expected) return std::nullopt;
  Contents contents;
  contents.owned = owner != XCB_NONE;
  if (!contents.owned) return contents;
  std::optional<Contents> all = readTargets(reader, selection);
  // A new owner (our own result, say) may have answered part of it.
  if (expected != 0 && reader.owner(selection) != expected) return std::nullopt;
  return all;
}

}  // namespace selection
