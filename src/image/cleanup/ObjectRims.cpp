// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/ObjectRims.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "common/Buffer.h"
#include "image/cleanup/InkPieces.h"
#include "image/cleanup/MedianOf.h"

namespace quorel {
namespace {

// Chromaticity: each channel's share of the sum (blue, green, red).
using Chroma = std::array<float, 3>;

// An object's colour differs from the paper's by at least this much
// chromaticity (skin on white paper: about 0.13; the paper's own tint varies
// across a page by a few hundredths).
constexpr float kForeignChroma = 0.06f;
// From such nodes the object's region grows into paler ones, at least this
// share of it from the paper's and of its tint (offsets within about 37°, a
// cosine of kLeastTintAgreement): a desk under a glare or in brighter light
// pales toward the page's colour but keeps its tint.
constexpr float kPaleShare = 0.6f;
constexpr float kLeastTintAgreement = 0.8f;
constexpr uint8_t kStrong = 1;
constexpr uint8_t kPale = 2;
constexpr uint8_t kReached = 3;
// A pixel whose chromaticity lies at least this share of the way from the
// paper's to the object's is the object's (lit or shaded).
constexpr float kShadingShare = 0.5f;
// The paper estimate absorbs what is wider than its closing (at most four
// cells either side) and blurs over one cell more, its interpolation one
// more: rims left as ink lie within this many cells of the object's nodes.
constexpr int32_t kRimCells = 6;
// Objects take less than half the picture, so that the median is the page's
// colour. A region over a quarter may be a mount or the page itself rather
// than a desk beyond the sheet. It is taken only if darker than the page (a
// white mount is lighter than the papyrus on it) and not of the colour of the
// ink away from it (a brown papyrus, its writing as brown, on a white mount
// that is the median).
constexpr size_t kPictureParts = 2;
constexpr size_t kLargeObjectParts = 4;
// A rim or the object's own texture: the object takes at least this share
// of what borders it (other ink aside).
constexpr double kLeastSideShare = 0.1;
// A desk's grain spreads over it, writing keeps to a part of its page: ink
// in at least 1 / kGrainParts of the grid nodes near a large region is its
// grain.
constexpr size_t kGrainParts = 4;

Chroma ChromaOf(float b, float g, float r) {
  const float sum = std::max(b + g + r, 1.0f);
  return {b / sum, g / sum, r / sum};
}

float Dot(const Chroma& a, const Chroma& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Chroma Minus(const Chroma& a, const Chroma& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

// Per grid node, the object nearby: its chromaticity's offset from the
// paper's, and that offset's squared length (0: no object near).
struct Objects {
  Chroma paper{};
  Buffer<float> offset;
  Buffer<float> apart;
  bool any = false;
  bool large = false;  // over a quarter of the picture
};

Result<Objects> FindObjects(const PaperLight& light) {
  const int32_t gw = light.grid_width();
  const int32_t gh = light.grid_height();
  const size_t nodes = static_cast<size_t>(gw) * gh;
  Objects objects;
  Buffer<float> chroma = QUOREL_TRY(Buffer<float>::Filled(nodes * 3));
  for (size_t i = 0; i < nodes; ++i) {
    const float* scale = light.NodeScale(static_cast<int32_t>(i % gw), static_cast<int32_t>(i / gw));
    const Chroma c = ChromaOf(255.0f / scale[0], 255.0f / scale[1], 255.0f / scale[2]);
    std::copy(c.begin(), c.end(), &chroma[i * 3]);
  }
  {
    Buffer<float> channel = QUOREL_TRY(Buffer<float>::Filled(nodes));
    for (int c = 0; c < 3; ++c) {
      for (size_t i = 0; i < nodes; ++i) channel[i] = chroma[i * 3 + c];
      objects.paper[c] = MedianOf(channel);
    }
  }
  // Nodes of a colour unlike the paper's; an object in front of the page is
  // held from outside the picture, so only regions of them that reach its
  // border count (a seal lies on the page).
  Buffer<uint8_t> foreign = QUOREL_TRY(Buffer<uint8_t>::Filled(nodes));  // kStrong, kPale, kReached, or 0
  const auto offset_of = [&](size_t i) {
    return Minus({chroma[i * 3], chroma[i * 3 + 1], chroma[i * 3 + 2]}, objects.paper);
  };
  const float pale = kPaleShare * kForeignChroma;
  for (size_t i = 0; i < nodes; ++i) {
    const Chroma offset = offset_of(i);
    const float squared = Dot(offset, offset);
    foreign[i] = squared >= kForeignChroma * kForeignChroma ? kStrong : squared >= pale * pale ? kPale : 0;
  }
  Buffer<size_t> front;
  QUOREL_TRY(front.Reserve(nodes));  // each node enters it once at most
  size_t reached = 0;
  // Node i, from node `from` of the region (none at the border).
  const auto reach = [&](size_t i, std::optional<size_t> from) {
    if (foreign[i] == kPale && from) {
      const Chroma a = offset_of(i);
      const Chroma b = offset_of(*from);
      const float along = Dot(a, b);
      if (along <= 0 || along * along < kLeastTintAgreement * kLeastTintAgreement * Dot(a, a) * Dot(b, b)) return;
    } else if (foreign[i] != kStrong) {
      return;
    }
    foreign[i] = kReached;
    front.PushInRoom(i);
    ++reached;
  };
  for (int32_t gx = 0; gx < gw; ++gx) {
    reach(static_cast<size_t>(gx), std::nullopt), reach(static_cast<size_t>(gh - 1) * gw + gx, std::nullopt);
  }
  for (int32_t gy = 0; gy < gh; ++gy) {
    reach(static_cast<size_t>(gy) * gw, std::nullopt), reach(static_cast<size_t>(gy) * gw + gw - 1, std::nullopt);
  }
  while (!front.empty()) {
    const size_t i = front.back();
    front.PopBack();
    const int32_t gx = static_cast<int32_t>(i % gw);
    const int32_t gy = static_cast<int32_t>(i / gw);
    if (gx > 0) reach(i - 1, i);
    if (gx + 1 < gw) reach(i + 1, i);
    if (gy > 0) reach(i - gw, i);
    if (gy + 1 < gh) reach(i + gw, i);
  }
  // The paper's colour is the page's median: a page mostly of another colour
  // (a papyrus on its mount) leaves no object to tell.
  if (reached * kPictureParts > nodes) return objects;
  objects.large = reached * kLargeObjectParts > nodes;
  if (objects.large) {
    Buffer<float> lightness = QUOREL_TRY(Buffer<float>::Filled(nodes));
    double reached_light = 0;
    for (size_t i = 0; i < nodes; ++i) {
      const float* scale = light.NodeScale(static_cast<int32_t>(i % gw), static_cast<int32_t>(i / gw));
      lightness[i] = 255.0f / scale[0] + 255.0f / scale[1] + 255.0f / scale[2];
      reached_light += foreign[i] == kReached ? lightness[i] : 0.0f;
    }
    if (reached_light / static_cast<double>(reached) >= MedianOf(lightness)) return objects;
  }
  objects.offset = QUOREL_TRY(Buffer<float>::Filled(nodes * 3));
  objects.apart = QUOREL_TRY(Buffer<float>::Filled(nodes));
  for (size_t i = 0; i < nodes; ++i) {
    if (foreign[i] != kReached) continue;
    const Chroma offset = offset_of(i);
    const float squared = Dot(offset, offset);
    objects.any = true;
    const int32_t gx = static_cast<int32_t>(i % gw);
    const int32_t gy = static_cast<int32_t>(i / gw);
    for (int32_t ny = std::max(0, gy - kRimCells); ny <= std::min(gh - 1, gy + kRimCells); ++ny) {
      for (int32_t nx = std::max(0, gx - kRimCells); nx <= std::min(gw - 1, gx + kRimCells); ++nx) {
        const size_t n = static_cast<size_t>(ny) * gw + nx;
        if (objects.apart[n] >= squared) continue;
        objects.apart[n] = squared;
        std::copy(offset.begin(), offset.end(), &objects.offset[n * 3]);
      }
    }
  }
  return objects;
}

// Whether ink lies in at least 1 / kGrainParts of the nodes near the object;
// node(x, y) is the grid node of pixel (x, y). kOutOfMemory.
template <class Node>
Result<bool> InkSpreadsNearObject(const InkBits& ink, const Objects& objects, Node node) {
  Buffer<uint8_t> inked = QUOREL_TRY(Buffer<uint8_t>::Filled(objects.apart.size()));
  ForEachInk(ink, [&](int32_t x, int32_t y) { inked[node(x, y)] = 1; });
  size_t near = 0;
  size_t near_inked = 0;
  for (size_t n = 0; n < inked.size(); ++n) {
    if (objects.apart[n] == 0) continue;
    ++near;
    near_inked += inked[n];
  }
  return near_inked * kGrainParts >= near;
}

// Clears from `ink` each piece of `pieces` (8-connected; a part of the ink,
// emptied as it is walked) that the object borders: at least
// kLeastSideShare of the pixels around it that are not ink. Memory: a bit a
// pixel, one piece's pixels and the pixels cleared. kOutOfMemory.
template <class OfObject>
Result<void> ClearBordered(InkBits& ink, InkBits& pieces, OfObject of_object) {
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  Buffer<InkSpot> bordered;
  InkBits counted = QUOREL_TRY(InkBits::Create(w, h));
  QUOREL_TRY(ForEachPiece(pieces, [&](std::span<const InkSpot> piece) -> Result<void> {
    int64_t object = 0;
    int64_t paper = 0;
    for (const auto [px, py] : piece) {
      for (int32_t yy = std::max(0, py - 1); yy <= std::min(h - 1, py + 1); ++yy) {
        for (int32_t xx = std::max(0, px - 1); xx <= std::min(w - 1, px + 1); ++xx) {
          if (ink.Get(xx, yy) || counted.Get(xx, yy)) continue;
          counted.Set(xx, yy);
          ++(of_object(xx, yy) ? object : paper);
        }
      }
    }
    const int64_t sides = object + paper;
    if (sides > 0 && object >= kLeastSideShare * sides) return bordered.Append(piece);
    return {};
  }));
  for (const InkSpot& at : bordered) ink.Clear(at.x, at.y);
  return {};
}

}  // namespace

Result<bool> RemoveObjectRims(InkBits& ink, const ConstDibRows& picture, const PaperLight& light, bool desk_known) {
  if (light.grid_width() == 0 || light.grid_height() == 0) return false;
  const Objects objects = QUOREL_TRY(FindObjects(light));
  if (!objects.any) return false;
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  const int32_t cell = light.cell();
  const auto node = [&](int32_t x, int32_t y) {
    return static_cast<size_t>(std::min(y / cell, light.grid_height() - 1)) * light.grid_width() +
           std::min(x / cell, light.grid_width() - 1);
  };
  const auto offset_at = [&](int32_t x, int32_t y) {
    const uint8_t* p = picture.TopDownRow(y).data() + size_t{3} * x;
    return Minus(ChromaOf(p[0], p[1], p[2]), objects.paper);
  };
  // Whether colour `offset` is that of the object near node n.
  const auto toward_object = [&](const Chroma& offset, size_t n) {
    const Chroma toward{objects.offset[n * 3], objects.offset[n * 3 + 1], objects.offset[n * 3 + 2]};
    return Dot(offset, toward) >= kShadingShare * objects.apart[n];
  };
  // Whether pixel (x, y) has the colour of the object near it.
  const auto of_object = [&](int32_t x, int32_t y) {
    const size_t n = node(x, y);
    return objects.apart[n] != 0 && toward_object(offset_at(x, y), n);
  };
  bool desk = false;
  if (objects.large) {
    // The ink's mean colour where no object is near.
    Chroma away{};
    int64_t read = 0;
    ForEachInk(ink, [&](int32_t x, int32_t y) {
      if (objects.apart[node(x, y)] != 0) return;
      const Chroma own = offset_at(x, y);
      for (int c = 0; c < 3; ++c) away[c] += own[c];
      ++read;
    });
    if (read == 0) {
      // No ink on the page: the region may be the page itself (a kraft
      // card on a white table, the writing all on it), unless its ink is
      // spread over it as a desk's grain is.
      desk = desk_known || QUOREL_TRY(InkSpreadsNearObject(ink, objects, node));
      if (!desk) return false;
    } else {
      for (float& c : away) c /= static_cast<float>(read);
      for (size_t n = 0; n < objects.apart.size(); ++n) {
        if (objects.apart[n] != 0 && toward_object(away, n)) return false;
      }
    }
  }
  // The ink of the object's colour.
  InkBits shaded = QUOREL_TRY(InkBits::Create(w, h));
  ForEachInk(ink, [&](int32_t x, int32_t y) {
    if (of_object(x, y)) shaded.Set(x, y);
  });
  QUOREL_TRY(ClearBordered(ink, shaded, of_object));
  return desk;
}

Result<void> MarkObjectNodes(const PaperLight& light, Buffer<uint8_t>& nodes) {
  if (light.grid_width() == 0 || light.grid_height() == 0) return {};
  const Objects objects = QUOREL_TRY(FindObjects(light));
  for (size_t i = 0; objects.any && i < nodes.size(); ++i) nodes[i] = nodes[i] || objects.apart[i] > 0;
  return {};
}

}  // namespace quorel
