// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/InkBits.h"

#include <algorithm>
#include <array>
#include <deque>
#include <new>
#include <utility>
#include <vector>

#include "image/cleanup/InkPieces.h"
#include "image/cleanup/PieceSpread.h"

namespace quorel {

Result<InkBits> InkBits::Create(int32_t width, int32_t height) {
  InkBits ink;
  ink.width_ = width;
  ink.height_ = height;
  ink.stride_ = (static_cast<size_t>(width) + 7) / 8;
  ink.bits_ = QUOREL_TRY(ByteBuffer::Filled(ink.stride_ * static_cast<size_t>(height)));
  return ink;
}

Result<InkBits> InkBits::Copy() const {
  InkBits copy = QUOREL_TRY(Create(width_, height_));
  std::copy_n(bits_.data(), bits_.size(), copy.bits_.data());
  return copy;
}

namespace {

bool AnyInk(const InkBits& ink, const PixelRect& box) {
  for (int32_t y = std::max(0, box.top); y < std::min(ink.height(), box.bottom); ++y) {
    for (int32_t x = std::max(0, box.left); x < std::min(ink.width(), box.right); ++x) {
      if (ink.Row(y)[static_cast<size_t>(x) >> 3] == 0) {
        x |= 7;
        continue;
      }
      if (ink.Get(x, y)) return true;
    }
  }
  return false;
}

}  // namespace

Result<void> RemoveSpecks(InkBits& ink, int64_t min_area) { return RemoveSpecks(ink, min_area, min_area, 0); }

Result<void> RemoveSpecks(InkBits& ink, int64_t min_area, int64_t piece_area, int32_t reach) {
  // NOTE: a piece's bits are cleared as it is found and set in a second mask
  // once it is known to be large enough. Memory stays bounded by the fill's
  // front and the first `piece_area` pixels of a piece, not by the ink: a
  // black photo is one piece of millions of pixels.
  InkBits kept = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  InkBits dots = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  RunTally heights;  // of the larger pieces
  WalkPieces(
      ink, piece_area, [&](int32_t x, int32_t y) { kept.Set(x, y); },
      [&](const std::vector<std::pair<int32_t, int32_t>>& first, int64_t area, const PixelRect& box) {
        if (area < piece_area && area >= min_area) {
          for (const auto& [x, y] : first) dots.Set(x, y);
        }
        if (area >= piece_area) heights.Add(box.bottom - box.top);
      });
  // Dots (an i's, a full stop) count where a larger piece lies within reach.
  // An i's dot floats above its stem by up to about the letters' small height:
  // half a typical piece's (a word's letters, with their ascenders and
  // descenders) reaches that far.
  if (piece_area > min_area) {
    reach = std::max(reach, static_cast<int32_t>(heights.Median() / 2));
    WalkPieces(
        dots, piece_area, [](int32_t, int32_t) {},
        [&](const std::vector<std::pair<int32_t, int32_t>>& first, int64_t, const PixelRect& box) {
          const PixelRect near{box.left - reach, box.top - reach, box.right + reach, box.bottom + reach};
          if (!AnyInk(kept, near)) return;
          for (const auto& [x, y] : first) ink.Set(x, y);  // `ink` is empty by now
        });
    Unite(kept, ink);
  }
  ink = std::move(kept);
  return {};
}

namespace {

// A blot fills much of its box: a short band across it at least a fifth.
constexpr int64_t kSpanPerArea = 16;
// More pieces than this are no few specks of dust (and are not compared
// pair by pair).
constexpr size_t kMostDots = 64;

// The piece's width: twice the most steps (up, down, left, right) from any
// of its pixels to the paper, counting the pixel itself. kOutOfMemory.
Result<int32_t> PieceWidth(const std::vector<std::pair<int32_t, int32_t>>& pixels, const PixelRect& box) {
  const int32_t w = box.right - box.left;
  const int32_t h = box.bottom - box.top;
  Buffer<int32_t> steps = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(w) * h));
  const auto at = [&](int32_t x, int32_t y) -> int32_t& { return steps[static_cast<size_t>(y) * w + x]; };
  const auto get = [&](int32_t x, int32_t y) { return x < 0 || y < 0 || x >= w || y >= h ? 0 : at(x, y); };
  constexpr int32_t kFar = 1 << 30;
  for (const auto& [x, y] : pixels) at(x - box.left, y - box.top) = kFar;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (at(x, y) != 0) at(x, y) = std::min(at(x, y), std::min(get(x - 1, y), get(x, y - 1)) + 1);
    }
  }
  int32_t most = 0;
  for (int32_t y = h - 1; y >= 0; --y) {
    for (int32_t x = w - 1; x >= 0; --x) {
      if (at(x, y) != 0) at(x, y) = std::min(at(x, y), std::min(get(x + 1, y), get(x, y + 1)) + 1);
      most = std::max(most, at(x, y));
    }
  }
  return 2 * most;
}

// Takes the piece of ink (8-connected) at (x, y) out of `ink` into `pixels`
// and `box`; false, with the piece partly taken, once it reaches `most`
// pixels. Memory: the piece's first `most` pixels.
bool TakeSmallPiece(InkBits& ink, int32_t x, int32_t y, int64_t most, std::vector<std::pair<int32_t, int32_t>>& pixels,
                    PixelRect& box) {
  pixels.assign(1, {x, y});
  ink.Clear(x, y);
  box = {x, y, x + 1, y + 1};
  for (size_t next = 0; next < pixels.size(); ++next) {
    const auto [px, py] = pixels[next];
    for (int32_t yy = std::max(0, py - 1); yy <= std::min(ink.height() - 1, py + 1); ++yy) {
      for (int32_t xx = std::max(0, px - 1); xx <= std::min(ink.width() - 1, px + 1); ++xx) {
        if (!ink.Get(xx, yy)) continue;
        if (static_cast<int64_t>(pixels.size()) + 1 >= most) return false;
        ink.Clear(xx, yy);
        pixels.emplace_back(xx, yy);
        box = {std::min(box.left, xx), std::min(box.top, yy), std::max(box.right, xx + 1),
               std::max(box.bottom, yy + 1)};
      }
    }
  }
  return true;
}

}  // namespace

Result<void> KeepLongPieces(InkBits& ink, double along) {
  InkBits pieces = QUOREL_TRY(ink.Copy());
  InkBits kept = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  PieceSpread spread;
  int32_t first_x = 0;
  int32_t first_y = 0;
  WalkPieces(
      pieces, 1,
      [&](int32_t x, int32_t y) {
        if (spread.empty()) first_x = x, first_y = y;
        spread.Add(x, y);
      },
      [&](const auto&, int64_t, const PixelRect&) {
        if (spread.Along() >= along) kept.Set(first_x, first_y);
        spread = PieceSpread{};
      });
  QUOREL_TRY(GrowWithin(kept, ink));
  ink = std::move(kept);
  return {};
}

Result<bool> ScatteredDots(const InkBits& ink, double widths, int64_t most) {
  InkBits left = QUOREL_TRY(ink.Copy());
  std::vector<std::pair<int32_t, int32_t>> pixels;
  struct Dot {
    PixelRect box;
    int64_t area;
    int32_t width;
  };
  std::vector<Dot> dots;
  // Most ink is writing: the look ends at the first piece that is no dot.
  for (int32_t y = 0; y < left.height(); ++y) {
    for (size_t byte = 0; byte < left.stride(); ++byte) {
      while (left.Row(y)[byte] != 0) {
        const int32_t x = static_cast<int32_t>(byte * 8) + __builtin_ctz(left.Row(y)[byte]);
        PixelRect box{};
        if (dots.size() >= kMostDots || !TakeSmallPiece(left, x, y, most, pixels, box)) return false;
        // A piece spread thin over its box is no blot.
        const auto area = static_cast<int64_t>(pixels.size());
        if (int64_t{box.right - box.left} * (box.bottom - box.top) > kSpanPerArea * area) return false;
        const int32_t width = QUOREL_TRY(PieceWidth(pixels, box));
        if (static_cast<double>(area) >= widths * width * width) return false;
        dots.push_back({box, area, width});
      }
    }
  }
  if (dots.empty()) return false;
  // Dots within their own size of each other are one group: the short thick
  // strokes of a word written with a marker, which together run for many of
  // their widths; a speck of dust broken in two is still a dot.
  const auto size = [](const PixelRect& r) { return std::max(r.right - r.left, r.bottom - r.top); };
  std::vector<size_t> group(dots.size());
  for (size_t i = 0; i < dots.size(); ++i) group[i] = i;
  const auto root = [&](size_t i) {
    while (group[i] != i) i = group[i] = group[group[i]];
    return i;
  };
  for (size_t i = 0; i < dots.size(); ++i) {
    for (size_t j = i + 1; j < dots.size(); ++j) {
      const PixelRect& a = dots[i].box;
      const PixelRect& b = dots[j].box;
      const int32_t gap = std::max({a.left - b.right, b.left - a.right, a.top - b.bottom, b.top - a.bottom});
      if (gap <= std::max(size(a), size(b))) group[root(i)] = root(j);
    }
  }
  std::vector<int64_t> areas(dots.size(), 0);
  std::vector<int32_t> widest(dots.size(), 0);
  for (size_t i = 0; i < dots.size(); ++i) {
    areas[root(i)] += dots[i].area;
    widest[root(i)] = std::max(widest[root(i)], dots[i].width);
  }
  for (size_t i = 0; i < dots.size(); ++i) {
    if (root(i) == i && static_cast<double>(areas[i]) >= widths * widest[i] * widest[i]) return false;
  }
  return true;
}

bool OneStraightLine(const InkBits& ink, double width) {
  PieceSpread spread;
  ForEachInk(ink, [&](int32_t x, int32_t y) { spread.Add(x, y); });
  return spread.Straight(width);
}

bool TooLittleForWriting(const InkBits& ink, double width) {
  constexpr double kLeastRunShare = 0.15;
  int64_t area = 0;
  ForEachInk(ink, [&](int32_t, int32_t) { ++area; });
  const double longer = std::max(ink.width(), ink.height());
  return area > 0 && static_cast<double>(area) < kLeastRunShare * width * longer;
}

Result<void> FillPinholes(InkBits& ink) {
  InkBits holes = QUOREL_TRY(InkBits::Create(ink.width(), ink.height()));
  const size_t stride = ink.stride();
  const int32_t h = ink.height();
  // Eight pixels a byte: bit k is pixel 8i + k, so its left neighbour is bit
  // k − 1 or the byte before's bit 7. (The bits past the width stay clear:
  // their rows above and below are clear there.)
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = ink.Row(y);
    const uint8_t* above = y > 0 ? ink.Row(y - 1) : nullptr;
    const uint8_t* below = y + 1 < h ? ink.Row(y + 1) : nullptr;
    uint8_t* out = holes.MutableRow(y);
    for (size_t i = 0; i < stride; ++i) {
      const unsigned own = row[i];
      const unsigned left = ((own << 1) | (i > 0 ? row[i - 1] >> 7 : 0u)) & 0xFFu;
      const unsigned right = (own >> 1) | (i + 1 < stride ? (row[i + 1] & 1u) << 7 : 0u);
      const unsigned up = above != nullptr ? above[i] : 0u;
      const unsigned down = below != nullptr ? below[i] : 0u;
      out[i] = static_cast<uint8_t>(~own & ((left & right & (up | down)) | (up & down & (left | right))));
    }
  }
  Unite(ink, holes);
  return {};
}

double StrokeWidth(const InkBits& ink, double share) {
  // Every run of ink along a row or a column counted once: a stroke gives
  // many runs about its width, a wide dark area (a shadow) few long ones.
  RunTally runs;
  Buffer<int32_t> down;
  if (!down.Resize(static_cast<size_t>(ink.width()))) return 0.0;  // no room: no width to tell
  for (int32_t y = 0; y <= ink.height(); ++y) {
    int32_t across = 0;
    // A column's run going down is open where the row above has ink.
    const uint8_t* above = y > 0 ? ink.Row(y - 1) : nullptr;
    for (int32_t x = 0; x < ink.width(); ++x) {
      // Whole bytes of paper with no run open across or down are skipped.
      if ((x & 7) == 0 && across == 0 && (above == nullptr || above[x >> 3] == 0) &&
          (y == ink.height() || ink.Row(y)[x >> 3] == 0)) {
        x += 7;
        continue;
      }
      const bool on = y < ink.height() && ink.Get(x, y);
      if (on) {
        ++across;
        ++down[x];
        continue;
      }
      if (across > 0) runs.Add(across);
      if (down[x] > 0) runs.Add(down[x]);
      across = 0;
      down[x] = 0;
    }
    if (across > 0) runs.Add(across);
  }
  return runs.Quantile(share);
}

double RunTally::Quantile(double share) const {
  int64_t total = 0;
  for (const int64_t n : runs_) total += n;
  if (total == 0) return 0.0;
  int64_t seen = 0;
  for (int32_t length = 1; length <= kLongest; ++length) {
    seen += runs_[length];
    if (static_cast<double>(seen) >= share * static_cast<double>(total)) return length;
  }
  return kLongest;
}

Result<void> GrowWithin(InkBits& ink, const InkBits& allowed) {
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  struct Place {
    int32_t x, y;
  };
  Buffer<Place> front;  // a stack: the pixels reached are the same in any order
  // Sets the allowed neighbours of (x, y) that are not ink yet, and keeps them.
  const auto spread = [&](int32_t x, int32_t y) -> Result<void> {
    for (int32_t yy = std::max(0, y - 1); yy <= std::min(h - 1, y + 1); ++yy) {
      for (int32_t xx = std::max(0, x - 1); xx <= std::min(w - 1, x + 1); ++xx) {
        if (allowed.Get(xx, yy) && !ink.Get(xx, yy)) {
          ink.Set(xx, yy);
          QUOREL_TRY(front.Push({xx, yy}));
        }
      }
    }
    return {};
  };
  // Whether the bytes around a byte of ink hold a pixel allowed and not ink
  // yet: if not, none of its pixels spreads (growing only takes room away).
  const auto room = [&](int32_t y, size_t byte) {
    const size_t first = byte > 0 ? byte - 1 : 0;
    const size_t last = std::min(ink.stride() - 1, byte + 1);
    for (int32_t yy = std::max(0, y - 1); yy <= std::min(h - 1, y + 1); ++yy) {
      for (size_t b = first; b <= last; ++b) {
        if ((allowed.Row(yy)[b] & ~ink.Row(yy)[b]) != 0) return true;
      }
    }
    return false;
  };
  for (int32_t y = 0; y < h; ++y) {
    for (size_t byte = 0; byte < ink.stride(); ++byte) {
      if (ink.Row(y)[byte] == 0 || !room(y, byte)) continue;
      for (unsigned bits = ink.Row(y)[byte]; bits != 0; bits &= bits - 1) {
        QUOREL_TRY(spread(static_cast<int32_t>(byte * 8) + __builtin_ctz(bits), y));
        while (!front.empty()) {
          const Place place = front.back();
          front.PopBack();
          QUOREL_TRY(spread(place.x, place.y));
        }
      }
    }
  }
  return {};
}

Result<void> BridgeUnder(InkBits& ink, const InkBits& under, int32_t span) {
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  InkBits bridged = QUOREL_TRY(InkBits::Create(w, h));
  InkBits above = QUOREL_TRY(InkBits::Create(w, h));  // under, with ink within span above
  constexpr int32_t kFar = 1 << 30;
  // Rows: the distance to the nearest ink on the left and on the right.
  Buffer<int32_t> left = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(w)));
  for (int32_t y = 0; y < h; ++y) {
    bool any = false;
    for (size_t byte = 0; byte < under.stride() && !any; ++byte) any = under.Row(y)[byte] != 0;
    if (!any) continue;
    int32_t last = -kFar;
    for (int32_t x = 0; x < w; ++x) {
      if (ink.Get(x, y)) last = x;
      left[x] = x - last;
    }
    int32_t next = kFar;
    for (int32_t x = w - 1; x >= 0; --x) {
      if (ink.Get(x, y)) next = x;
      if (under.Get(x, y) && !ink.Get(x, y) && left[x] <= span && next - x <= span) bridged.Set(x, y);
    }
  }
  // Columns: the rows of the last ink seen going down, then going up.
  Buffer<int32_t> seen = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(w), -kFar));
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (ink.Get(x, y)) seen[x] = y;
      else if (under.Get(x, y) && y - seen[x] <= span) above.Set(x, y);
    }
  }
  std::fill(seen.begin(), seen.end(), kFar);
  for (int32_t y = h - 1; y >= 0; --y) {
    for (int32_t x = 0; x < w; ++x) {
      if (ink.Get(x, y)) seen[x] = y;
      else if (above.Get(x, y) && seen[x] - y <= span) bridged.Set(x, y);
    }
  }
  Unite(ink, bridged);
  return {};
}

namespace {

// Calls visit(from, to) for each run of ink [from, to) in row y.
template <class Visit>
void ForRuns(const InkBits& ink, int32_t y, Visit visit) {
  const uint8_t* row = ink.Row(y);
  for (int32_t x = 0; x < ink.width();) {
    if ((x & 7) == 0 && row[x >> 3] == 0) {
      x += 8;
      continue;
    }
    if (!ink.Get(x, y)) {
      ++x;
      continue;
    }
    int32_t end = x + 1;
    while (end < ink.width() && ink.Get(end, y)) ++end;
    visit(x, end);
    x = end;
  }
}

}  // namespace

Result<InkBits> Opened(const InkBits& ink, int32_t radius) {
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  const int32_t side = 2 * radius + 1;
  // Along rows: the pixels with ink `radius` either side, and their box
  // (the column passes below look only there).
  InkBits a = QUOREL_TRY(InkBits::Create(w, h));
  PixelRect box{w, h, 0, 0};
  for (int32_t y = 0; y < h; ++y) {
    ForRuns(ink, y, [&](int32_t from, int32_t to) {
      if (to - from < side) return;
      for (int32_t x = from + radius; x < to - radius; ++x) a.Set(x, y);
      box = {std::min(box.left, from + radius), std::min(box.top, y), std::max(box.right, to - radius),
             y + 1};
    });
  }
  if (box.right <= box.left) return a;
  // Along columns: a square's centre where `side` rows of `a` run down.
  // Only the columns with a run going on (`running`, a bit each) or starting
  // are looked at: most of the box is empty.
  InkBits b = QUOREL_TRY(InkBits::Create(w, h));
  Buffer<int32_t> down = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(w)));
  Buffer<uint8_t> running = QUOREL_TRY(Buffer<uint8_t>::Filled(a.stride()));
  const size_t first_byte = static_cast<size_t>(box.left) >> 3;
  const size_t end_byte = (static_cast<size_t>(box.right) + 7) >> 3;
  for (int32_t y = box.top; y < box.bottom; ++y) {
    const uint8_t* row = a.Row(y);
    for (size_t byte = first_byte; byte < end_byte; ++byte) {
      for (unsigned bits = row[byte] | running[byte]; bits != 0; bits &= bits - 1) {
        const auto x = static_cast<int32_t>(byte * 8 + static_cast<size_t>(__builtin_ctz(bits)));
        down[x] = a.Get(x, y) ? down[x] + 1 : 0;
        if (down[x] >= side) b.Set(x, y - radius);
      }
      running[byte] = row[byte];
    }
  }
  // Grown back by the square.
  return Grown(b, radius);
}

Result<void> RemoveWide(InkBits& ink, int32_t radius) {
  Subtract(ink, QUOREL_TRY(Opened(ink, radius)));
  return {};
}

Result<InkBits> OrReduced(const InkBits& ink, int32_t factor) {
  InkBits reduced =
      QUOREL_TRY(InkBits::Create((ink.width() + factor - 1) / factor, (ink.height() + factor - 1) / factor));
  // Each band of `factor` rows ORed into one, then its bits into cells.
  Buffer<uint8_t> band = QUOREL_TRY(Buffer<uint8_t>::Filled(ink.stride()));
  for (int32_t top = 0; top < ink.height(); top += factor) {
    std::fill_n(band.data(), band.size(), uint8_t{0});
    for (int32_t y = top; y < std::min(ink.height(), top + factor); ++y) {
      const uint8_t* row = ink.Row(y);
      for (size_t byte = 0; byte < band.size(); ++byte) band[byte] |= row[byte];
    }
    for (size_t byte = 0; byte < band.size(); ++byte) {
      for (unsigned bits = band[byte]; bits != 0; bits &= bits - 1) {
        reduced.Set((static_cast<int32_t>(byte * 8) + __builtin_ctz(bits)) / factor, top / factor);
      }
    }
  }
  return reduced;
}

Result<InkBits> Grown(const InkBits& ink, int32_t radius) {
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  InkBits grown = QUOREL_TRY(InkBits::Create(w, h));
  const PixelRect box = InkBounds(ink);
  if (box.right <= box.left) return grown;
  // Along the rows, then down the columns: a row grown is the OR of the
  // rows of `wide` within `radius`, a byte at a time.
  InkBits wide = QUOREL_TRY(InkBits::Create(w, h));
  for (int32_t y = box.top; y < box.bottom; ++y) {
    ForRuns(ink, y, [&](int32_t from, int32_t to) {
      for (int32_t x = std::max(0, from - radius); x < std::min(w, to + radius); ++x) wide.Set(x, y);
    });
  }
  const size_t first = static_cast<size_t>(std::max(0, box.left - radius)) / 8;
  const size_t last = (static_cast<size_t>(std::min(w, box.right + radius)) + 7) / 8;
  for (int32_t y = std::max(0, box.top - radius); y < std::min(h, box.bottom + radius); ++y) {
    uint8_t* out = grown.MutableRow(y);
    for (int32_t from = std::max(box.top, y - radius); from <= std::min(box.bottom - 1, y + radius); ++from) {
      const uint8_t* row = wide.Row(from);
      for (size_t i = first; i < last; ++i) out[i] |= row[i];
    }
  }
  return grown;
}

PixelRect InkBounds(const InkBits& ink) {
  PixelRect box{ink.width(), ink.height(), 0, 0};
  for (int32_t y = 0; y < ink.height(); ++y) {
    const uint8_t* row = ink.Row(y);
    for (size_t byte = 0; byte < ink.stride(); ++byte) {
      if (row[byte] == 0) continue;
      const int32_t first = static_cast<int32_t>(byte * 8) + __builtin_ctz(row[byte]);
      const int32_t last = static_cast<int32_t>(byte * 8) + 31 - __builtin_clz(row[byte]);
      box.left = std::min(box.left, first);
      box.right = std::max(box.right, last + 1);
      box.top = std::min(box.top, y);
      box.bottom = y + 1;
    }
  }
  if (box.right == 0) return {};
  return box;
}

}  // namespace quorel
