#include "recognition/engines/Stop.h"

namespace Recognizer {

namespace {
thread_local StopFlag current;
}  // namespace

StopScope::StopScope(StopFlag flag) : was_(std::exchange(current, std::move(flag))) {}

StopScope::~StopScope() { current = std::move(was_); }

StopFlag currentStop() { return current; }

bool stopRequested() { return current && current->load(std::memory_order_relaxed); }

}  // namespace Recognizer
