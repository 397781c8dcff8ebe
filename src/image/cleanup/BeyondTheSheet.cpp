// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/BeyondTheSheet.h"

#include <algorithm>
#include <array>
#include <span>
#include <vector>

#include "common/Buffer.h"

namespace quorel {
namespace {

constexpr double kPageShare = 0.9;      // the page's paper: this share of the nodes are darker
constexpr double kDarkShare = 1.0 / 3;  // of the page's paper: beyond the sheet
// A step: out from the region's edge, the paper at least doubles within
// this many nodes (a 24th of the picture's shorter side).
constexpr double kStepRise = 2;
constexpr int32_t kStepNodes = 4;
constexpr double kLeastSteepEdge = 0.5;   // of the region's edge
constexpr double kMostRegionShare = 2.0 / 3;  // of the grid's nodes

constexpr std::array<std::array<int32_t, 2>, 4> kNeighbours{{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};

// The paper's lightness at each grid node, and which dark region holds it
// (0: none).
struct Grid {
  int32_t width = 0;
  int32_t height = 0;
  Buffer<float> paper;
  Buffer<int32_t> region;

  bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  size_t At(int32_t x, int32_t y) const { return static_cast<size_t>(y) * static_cast<size_t>(width) + x; }
};

// The region `label` (its nodes `members`) meets the page at a step along
// most of its edge.
bool MeetsThePageAtAStep(const Grid& grid, std::span<const size_t> members, int32_t label) {
  size_t edge = 0;
  size_t steep = 0;
  for (const size_t i : members) {
    const auto x = static_cast<int32_t>(i % grid.width), y = static_cast<int32_t>(i / grid.width);
    for (const auto& [dx, dy] : kNeighbours) {
      if (!grid.Inside(x + dx, y + dy) || grid.region[grid.At(x + dx, y + dy)] == label) continue;
      ++edge;
      for (int32_t k = 1; k <= kStepNodes && grid.Inside(x + k * dx, y + k * dy); ++k) {
        if (grid.paper[grid.At(x + k * dx, y + k * dy)] >= kStepRise * grid.paper[i]) {
          ++steep;
          break;
        }
      }
    }
  }
  return edge > 0 && static_cast<double>(steep) >= kLeastSteepEdge * static_cast<double>(edge);
}

}  // namespace

Result<Buffer<uint8_t>> NodesBeyondTheSheet(const PaperLight& light) {
  Grid grid;
  grid.width = light.grid_width();
  grid.height = light.grid_height();
  if (grid.width < 3 || grid.height < 3) return Buffer<uint8_t>{};
  const size_t nodes = static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height);
  grid.paper = QUOREL_TRY(Buffer<float>::Filled(nodes));
  grid.region = QUOREL_TRY(Buffer<int32_t>::Filled(nodes));
  for (int32_t y = 0; y < grid.height; ++y) {
    for (int32_t x = 0; x < grid.width; ++x) grid.paper[grid.At(x, y)] = light.NodePaper(x, y);
  }
  float page = 0;
  {
    Buffer<float> sorted = QUOREL_TRY(Buffer<float>::Filled(nodes));
    std::copy(grid.paper.begin(), grid.paper.end(), sorted.begin());
    const auto at = sorted.begin() + static_cast<ptrdiff_t>(kPageShare * static_cast<double>(nodes - 1));
    std::nth_element(sorted.begin(), at, sorted.end());
    page = *at;
  }
  const auto dark = [&](size_t i) { return grid.paper[i] < kDarkShare * page; };
  // Each dark region reaching the border, walked from its first border node.
  Buffer<uint8_t> beyond = QUOREL_TRY(Buffer<uint8_t>::Filled(nodes));
  bool any = false;
  std::vector<size_t> members;
  int32_t label = 0;
  for (size_t start = 0; start < nodes; ++start) {
    const auto sx = static_cast<int32_t>(start % grid.width), sy = static_cast<int32_t>(start / grid.width);
    const bool border = sx == 0 || sy == 0 || sx == grid.width - 1 || sy == grid.height - 1;
    if (!border || grid.region[start] != 0 || !dark(start)) continue;
    grid.region[start] = ++label;
    members.assign(1, start);
    for (size_t next = 0; next < members.size(); ++next) {
      const auto x = static_cast<int32_t>(members[next] % grid.width);
      const auto y = static_cast<int32_t>(members[next] / grid.width);
      for (const auto& [dx, dy] : kNeighbours) {
        if (!grid.Inside(x + dx, y + dy)) continue;
        const size_t n = grid.At(x + dx, y + dy);
        if (grid.region[n] == 0 && dark(n)) grid.region[n] = label, members.push_back(n);
      }
    }
    if (static_cast<double>(members.size()) > kMostRegionShare * static_cast<double>(nodes) ||
        !MeetsThePageAtAStep(grid, members, label)) {
      continue;
    }
    for (const size_t i : members) beyond[i] = 1;
    any = true;
  }
  if (!any) return Buffer<uint8_t>{};
  // In a node beside the region the page's light lifts the paper estimate:
  // the desk's last pixels there read as a fringe of ink along the edge.
  Buffer<uint8_t> near = QUOREL_TRY(Buffer<uint8_t>::Filled(nodes));
  for (int32_t y = 0; y < grid.height; ++y) {
    for (int32_t x = 0; x < grid.width; ++x) {
      if (!beyond[grid.At(x, y)]) continue;
      for (int32_t ny = std::max(0, y - 1); ny <= std::min(grid.height - 1, y + 1); ++ny) {
        for (int32_t nx = std::max(0, x - 1); nx <= std::min(grid.width - 1, x + 1); ++nx) near[grid.At(nx, ny)] = 1;
      }
    }
  }
  return near;
}

Result<void> RemoveInkBeyondTheSheet(InkBits& ink, const PaperLight& light) {
  const Buffer<uint8_t> near = QUOREL_TRY(NodesBeyondTheSheet(light));
  if (near.size() == 0) return {};
  const int32_t cell = light.cell();
  const int32_t gw = light.grid_width();
  const int32_t gh = light.grid_height();
  ForEachInk(ink, [&](int32_t x, int32_t y) {
    if (near[static_cast<size_t>(std::min(y / cell, gh - 1)) * gw + std::min(x / cell, gw - 1)]) ink.Clear(x, y);
  });
  return {};
}

}  // namespace quorel
