// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

namespace quorel {

// The hue of coloured ink, in hexagonal degrees: 0 red, 120 green, 240 blue.
// A colour is given as white-paper relative (blue, green, red) floats, as
// PaperLight::WhiteRow writes them.
class InkHue {
 public:
  // Red (a vermilion seal): what a seal is unless the picture shows another.
  static constexpr float kRed = 0.0f;

  explicit InkHue(float degrees) : degrees_(degrees) {}
  float degrees() const { return degrees_; }
  // Whether the colour is ink of this hue: coloured for most of its
  // darkness, the less so the further its hue lies from this one (none at
  // kReach degrees).
  bool Holds(const float* bgr) const;

  static bool Saturated(const float* bgr);
  static float HueOf(const float* bgr);

  // Hexagonal degrees (60 from a primary to the next secondary) either side
  // of a hue that still count toward it.
  static constexpr float kReach = 60.0f;

 private:
  float degrees_;
};

// Counts the hues of coloured ink pixels and names the one most of them
// share (a seal among black print and a blue pen), or the fallback when too
// few pixels are coloured to tell.
class HueTally {
 public:
  void Add(const float* bgr);
  InkHue Dominant(InkHue fallback) const;

 private:
  static constexpr int kBins = 36;  // 10 degrees each
  std::array<uint64_t, kBins> bins_{};
  uint64_t count_ = 0;
};

}  // namespace quorel
