// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/GrainSeeds.h"

#include <utility>

namespace quorel {
namespace {

constexpr int kSeedOverEdgeNum = 5;  // a seed is 5/4 of the edge's darkness
constexpr int kSeedOverEdgeDen = 4;

}  // namespace

Result<GrainSeeds> GrainSeeds::For(int32_t width, int32_t height, bool grainy, int edge) {
  GrainSeeds seeds;
  if (!grainy) return seeds;
  seeds.level_ = edge * kSeedOverEdgeNum / kSeedOverEdgeDen;
  seeds.seeds_ = QUOREL_TRY(InkBits::Create(width, height));
  return seeds;
}

Result<void> GrainSeeds::KeepSeeded(InkBits& strong) {
  if (level_ > 255) return {};
  // Seeds on pixels taken out of the strong ink since (paper lines) seed nothing.
  for (int32_t y = 0; y < strong.height(); ++y) {
    uint8_t* seeds = seeds_.MutableRow(y);
    const uint8_t* ink = strong.Row(y);
    for (size_t i = 0; i < strong.stride(); ++i) seeds[i] &= ink[i];
  }
  QUOREL_TRY(GrowWithin(seeds_, strong));
  strong = std::move(seeds_);
  level_ = 256;
  return {};
}

}  // namespace quorel
