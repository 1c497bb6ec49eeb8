#pragma once
#include <exception>
#include <type_traits>

#include "recognition/engines/EnginePool.h"

namespace Recognizer {

// Runs one pass of the recognition. The libraries under it (OpenCV, ZXing,
// Tesseract, Qt) may throw on an image they cannot take; nothing of that
// may end the process: the pass is logged in one line and counts as having
// found nothing.
template <typename Run, typename Result = std::invoke_result_t<Run>>
Result guarded(const char* pass, Run&& run) {
  try {
    return run();
  } catch (const std::exception& e) {
    qCWarning(lcOcr) << pass << "failed and counts as empty:" << e.what();
  } catch (...) {
    qCWarning(lcOcr) << pass << "failed and counts as empty";
  }
  return Result{};
}

}  // namespace Recognizer
