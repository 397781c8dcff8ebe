// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <new>

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/DibLayout.h"

namespace quorel {

// The colour of the bare paper under uneven light, estimated on a decimated
// grid: cell means, then a grey closing (the largest value around, then the
// smallest) that fills ink strokes narrower than the window while keeping
// gradients and soft shadows, then a light smoothing. Read back per row by
// bilinear interpolation as 255 / paper, so a pixel times it is the pixel as
// if the paper were white. O(1) work per pixel; memory a few grid rows and
// two rows of the picture.
class PaperLight {
 public:
  // The closing fills strokes up to about 2 × closing_radius cells wide; a
  // wider dark area (a shadow) stays paper. kBadInput for a picture that is
  // not 24-bit; kOutOfMemory.
  static Result<PaperLight> Estimate(const ConstDibRows& picture, int32_t closing_radius);
  // The paper again from the same cell means, with another closing radius.
  // Cells marked in `held` (one byte a cell, row by row; none if empty) are
  // left out: their means are filled in from the paper around them first, so
  // an area of ink of any width there stays ink. kBadInput for a `held` of
  // another size.
  Result<void> Refit(int32_t closing_radius, std::span<const uint8_t> held = {});
  // The mean colour (blue, green, red) of the picture in cell (gx, gy).
  const float* CellMean(int32_t gx, int32_t gy) const {
    return &means_[(static_cast<size_t>(gy) * grid_width_ + gx) * 3];
  }

  // 255 / paper (blue, green, red) at grid node (gx, gy): ScaleAt
  // interpolates these, so it never leaves the range of the nodes around.
  const float* NodeScale(int32_t gx, int32_t gy) const {
    return &inverse_[(static_cast<size_t>(gy) * grid_width_ + gx) * 3];
  }

  int32_t cell() const { return cell_; }
  int32_t grid_width() const { return grid_width_; }
  int32_t grid_height() const { return grid_height_; }
  // The paper's lightness at grid node (gx, gy): the mean of its channels.
  float NodePaper(int32_t gx, int32_t gy) const {
    const float* inverse = NodeScale(gx, gy);
    return 85.0f * (1 / inverse[0] + 1 / inverse[1] + 1 / inverse[2]);
  }
  // The same at pixel (x, y), interpolated as WhiteRow does.
  float PaperAt(int32_t x, int32_t y) const;
  // At least the darkness (255 − the lightest channel made white-paper
  // relative, as in WhiteRow) of every pixel in cell (gx, gy) of row band
  // gy: cells of bare paper can be skipped by what looks for ink.
  int DarknessBound(int32_t gx, int32_t gy) const {
    return darkness_bound_[static_cast<size_t>(gy) * grid_width_ + gx];
  }
  // Pixels [from, to) of top-down row y as if on white paper: each byte (blue,
  // green, red) times 255 / paper, into white[3 × (x − from) + channel].
  // NOTE: keeps the two grid rows around y widened to the picture's width,
  // so a walk down the picture widens each grid row once.
  void WhiteRow(int32_t y, const uint8_t* row, int32_t from, int32_t to, float* white);
  // The factors alone at one pixel, as WhiteRow uses them: scale[channel].
  void ScaleAt(int32_t x, int32_t y, float* scale) const;

 private:
  PaperLight() = default;
  void Widen(int32_t grid_y, Buffer<float>& out) const;
  // Where row y lies between two grid rows, and how far toward the lower.
  struct Between {
    int32_t top;
    int32_t bottom;
    float share;
  };
  Between RowBetween(int32_t y) const;
  // Where pixel (x, y) lies among the four grid nodes around it.
  struct Spot {
    Between row;
    int32_t left;
    int32_t right;
    float share;  // toward the right
  };
  Spot SpotAt(int32_t x, int32_t y) const;
  // node(gx, gy) interpolated at a spot, as WhiteRow does.
  template <class Node>
  float Interpolate(const Spot& at, Node node) const;

  int32_t width_ = 0;
  int32_t cell_ = 1;
  int32_t grid_width_ = 0;
  int32_t grid_height_ = 0;
  Buffer<float> means_;        // grid_height_ × grid_width_ × 3: the cells' mean colours
  Buffer<uint8_t> darkest_;    // the same: each cell's least byte
  Buffer<float> inverse_;      // grid_height_ × grid_width_ × 3: 255 / paper
  Buffer<uint8_t> darkness_bound_;  // grid_height_ × grid_width_
  Buffer<int32_t> column_;     // per pixel column: its left grid cell
  Buffer<float> weight_;       // per pixel column: the right cell's share
  int32_t widened_top_ = -1;        // the grid row in upper_, lower_ the next
  Buffer<float> upper_;
  Buffer<float> lower_;
};

// Darkness (as the photo clean-up measures it: the darkest channel against
// white) of a pixel seen on paper whose 255 / paper is `scale` (ScaleAt).
inline int DarknessOn(const uint8_t* bgr, const float* scale) {
  const float lightest = std::min({bgr[0] * scale[0], bgr[1] * scale[1], bgr[2] * scale[2], 255.0f});
  return static_cast<int>(255.5f - lightest);
}

}  // namespace quorel
