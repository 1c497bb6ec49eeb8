#include "app/HotKeyRepeats.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>

namespace {
constexpr size_t kRemembered = 64;
}

HotKeyRepeats::HotKeyRepeats(std::function<std::optional<uint8_t>()> keycode, QObject* parent)
    : QObject(parent), keycode_(std::move(keycode)) {
  if (QCoreApplication::instance()) QCoreApplication::instance()->installNativeEventFilter(this);
}

HotKeyRepeats::~HotKeyRepeats() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool HotKeyRepeats::isRepeat(const QKeyEvent& event) const {
  return std::find(repeats_.begin(), repeats_.end(), uint32_t(event.timestamp())) != repeats_.end();
}

void HotKeyRepeats::note(bool press, uint8_t keycode, uint32_t time) {
  const std::optional<uint8_t> hot = keycode_ ? keycode_() : std::nullopt;
  if (!hot || keycode != *hot) return;
  if (!press) {
    held_ = false;
    lastRelease_ = time;
    return;
  }
  lastRepeated_ = held_ || lastRelease_ == time;
  if (lastRepeated_) {
    repeats_.push_back(time);
    if (repeats_.size() > kRemembered) repeats_.pop_front();
  }
  held_ = true;
}

void HotKeyRepeats::moveToFront() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  app->removeNativeEventFilter(this);
  app->installNativeEventFilter(this);
}

bool HotKeyRepeats::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  const uint8_t type = event->response_type & 0x7f;
  if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    note(type == XCB_KEY_PRESS, key->detail, key->time);
  }
  return false;
}
