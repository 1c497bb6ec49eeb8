#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

namespace ocr {

// The middle value of `values` (the upper one of an even count); 0 for none.
inline double median(std::vector<int> values) {
  if (values.empty()) return 0;
  const auto mid = values.begin() + std::ptrdiff_t(values.size() / 2);
  std::nth_element(values.begin(), mid, values.end());
  return *mid;
}

}  // namespace ocr
