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
  Intersect(seeds_, strong);
  QUOREL_TRY(GrowWithin(seeds_, strong));
  strong = std::move(seeds_);
  level_ = 256;
  return {};
}

}  // namespace quorel
