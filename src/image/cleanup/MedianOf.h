// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>

namespace quorel {

// The middle of `values` (at least one; reordered): their median, the upper
// of the two middle ones for an even count.
template <class Values>
auto MedianOf(Values& values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

}  // namespace quorel
