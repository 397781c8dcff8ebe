// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace quorel {

// The median of `count` values tallied in `histogram`, and how many of them
// lie at or below it.
template <class Count, size_t N>
std::pair<int, uint64_t> MedianAndBelow(const std::array<Count, N>& histogram, uint64_t count) {
  uint64_t seen = 0;
  int median = 0;
  while (median + 1 < static_cast<int>(N) && 2 * (seen += histogram[median]) < count) ++median;
  return {median, seen};
}

template <class Count, size_t N>
int MedianOf(const std::array<Count, N>& histogram, uint64_t count) {
  return MedianAndBelow(histogram, count).first;
}

// The value under which `share` of the `count` values lie.
template <class Count, size_t N>
int QuantileOf(const std::array<Count, N>& histogram, uint64_t count, double share) {
  uint64_t seen = 0;
  int value = 0;
  while (value + 1 < static_cast<int>(N) &&
         static_cast<double>(seen += histogram[value]) < share * static_cast<double>(count)) {
    ++value;
  }
  return value;
}

// A signal's level on paper and its noise, from its histogram over a picture
// that is mostly paper: the median, and the median distance below it (the
// lower half, which no ink reaches) scaled to a normal spread's standard
// deviation.
struct PaperNoise {
  int level = 0;
  double spread = 0;
};

template <class Count, size_t N>
PaperNoise PaperNoiseOf(const std::array<Count, N>& histogram, uint64_t count) {
  // A standard deviation from the median absolute deviation of a normal spread.
  constexpr double kSpreadPerDeviation = 1.4826;
  const auto [median, seen] = MedianAndBelow(histogram, count);
  uint64_t near = 0;
  int deviation = 0;
  while (deviation < median && 2 * (near += histogram[median - deviation]) < seen) ++deviation;
  return {median, kSpreadPerDeviation * deviation};
}

}  // namespace quorel
