// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quorel {

// What the hint window shows for one control of the main window. Lines are
// separated by '\n'.
struct HintText {
  int control_id;
  std::string_view text;  // UTF-8
};

// The 21 hints in hit-test order: where rectangles overlap, the first entry
// that contains the cursor wins. The settings and help buttons have none.
extern const std::array<HintText, 21> kHintTable;

// The hint window's look and timing.
struct ToolHintInfo {
  int font_height = 12;              // pixels
  int margin = 3;                    // between the frame and the text, every side
  int gap = 6;                       // between the control and the hint window
  uint32_t text_colour = 0x000000;   // 0xRRGGBB
  uint32_t fill_colour = 0xFFFF80;   // pale yellow
  uint32_t frame_colour = 0x000000;
  uint32_t delay_ms = 1200;          // rest needed before a hint shows
  std::string_view face_name = "ＭＳ Ｐゴシック";
  int max_lines = 40;
};

}  // namespace quorel
