// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace quorel {

// The hue of coloured ink, in hexagonal degrees: 0 red, 120 green, 240 blue.
// A colour is given as white-paper relative (blue, green, red) floats, as
// PaperLight::WhiteRow writes them.
class InkHue {
 public:
  // Red (a vermilion seal): what a seal is unless the picture shows another.
  static constexpr float kRed = 0.0f;

  // A colour's spread of channels against its darkness that makes it
  // coloured ink: print and pencil are grey, a seal is not.
  static constexpr float kMostSaturation = 0.4f;
  static constexpr float kLeastSaturation = 0.3f;
  // A dull stamp's (violet under a tinted light), found only when no ink is
  // coloured as a vermilion's.
  static constexpr float kDullSaturation = 0.15f;

  explicit InkHue(float degrees, float saturation = kMostSaturation, float purity = 0)
      : degrees_(degrees), saturation_(saturation), purity_(purity) {}
  float degrees() const { return degrees_; }
  float saturation() const { return saturation_; }
  // Whether the colour is ink of this hue: at least `saturation` coloured
  // for its darkness, the more so the further its hue lies from this one
  // (none at kReach degrees).
  bool Holds(const float* bgr) const;
  // Whether colours are this ink over or under grey print. Ink times grey
  // keeps the ink's hue and its purity (chroma over the lightest channel),
  // where its saturation against darkness falls. A pixel may be when its
  // chroma stands out of the paper's grain (`least_chroma`) and its purity is
  // at most kMostPurityShare of the ink's (a dark pixel much purer than the
  // ink is print the ink's colour bled into); it is when the mean colour of
  // a few pixels along its row (where a camera's colour fringes beside print
  // average out) is also out of the grain, of the ink's hue and at least
  // kLeastPurityShare of its purity. Neither without a purity.
  bool MayHoldUnderPrint(const float* own, float least_chroma) const;
  bool HoldsUnderPrint(const float* mean, float least_chroma) const;
  static constexpr float kLeastPurityShare = 0.5f;
  static constexpr float kMostPurityShare = 1.5f;

  // The ink's typical purity, 0 (grey, or not known) to 1.
  float purity() const { return purity_; }
  // Chroma over the lightest channel, 0 (grey) to 1: unchanged when the
  // colour is multiplied by a grey.
  static float PurityOf(const float* bgr);

  // Spread of channels over darkness, 0 (grey) to 1.
  static float SaturationOf(const float* bgr);
  static float HueOf(const float* bgr);

  // Hexagonal degrees (60 from a primary to the next secondary) either side
  // of a hue that still count toward it.
  static constexpr float kReach = 60.0f;

 private:
  // 1 at this hue, falling to 0 kReach degrees away.
  float Nearness(const float* bgr) const;

  float degrees_;
  float saturation_;
  float purity_;
};

// Counts the hues of coloured ink pixels and names the one most of them
// share (a seal among black print and a blue pen). The saturation that tells
// this ink from grey is half the median of its pixels' (a dull violet stamp
// is less coloured than a vermilion one), within kLeastSaturation to
// kMostSaturation; its purity the median of its pixels'. With no pixels that
// coloured, a seal of any hue is looked for among duller ones (kDullSaturation
// up), where most of them must share its hue.
class HueTally {
 public:
  void Add(const float* bgr);
  // The hue most pixels share, none when too few are coloured to tell. With
  // a `reach` under 180, among the hues no more than `reach` degrees from
  // `degrees` (a seal's orange or crimson, never the blue pen beside it), from
  // at least as many pixels of them, whose typical saturation makes them ink
  // of `degrees` by Holds at kMostSaturation (a vermilion or orange seal, not
  // a brown pen).
  std::optional<InkHue> DominantWithin(float degrees, float reach) const;

 private:
  static constexpr int kBins = 36;       // 10 degrees each
  static constexpr int kSaturations = 20;  // 0.05 each
  struct Counts {
    std::array<std::array<uint64_t, kSaturations>, kBins> saturations{};
    std::array<std::array<uint64_t, kSaturations>, kBins> purities{};
  };
  // The hue whose three neighbouring bins hold the most pixels of `least`
  // saturation or more (`held` gets their count).
  std::optional<InkHue> Dominant(const Counts& counts, float degrees, float reach, float least,
                                 uint64_t* held = nullptr) const;

  Counts coloured_;  // kLeastSaturation and up
  Counts dull_;      // kDullSaturation up to kLeastSaturation
  uint64_t count_ = 0;  // pixels of kMostSaturation or more
};

}  // namespace quorel
