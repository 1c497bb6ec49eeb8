#pragma once
#include <mutex>
#include <utility>

namespace analytics {

// One setting that any thread may read or write: the client reads its
// configuration from its own threads while the owner may still change it.
template <class T>
class Setting {
 public:
  Setting() = default;
  explicit Setting(T value) : value_(std::move(value)) {}
  Setting(const Setting&) = delete;
  Setting& operator=(const Setting&) = delete;

  T get() const {
    std::lock_guard lock(mutex_);
    return value_;
  }
  T operator()() const { return get(); }
  void set(T value) {
    std::lock_guard lock(mutex_);
    value_ = std::move(value);
  }
  // Stores `value` and gives the one it replaces.
  T exchange(T value) {
    std::lock_guard lock(mutex_);
    std::swap(value_, value);
    return value;
  }

 private:
  mutable std::mutex mutex_;
  T value_{};
};

}  // namespace analytics
