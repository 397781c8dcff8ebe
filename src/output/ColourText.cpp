// Quorel — SPDX-License-Identifier: MIT
#include "output/ColourText.h"

namespace quorel {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<Colour> ParseColourText(std::string_view text) {
  if (text.size() != 6) return std::nullopt;
  uint8_t parts[3];
  for (int i = 0; i < 3; ++i) {
    const int high = HexDigit(text[2 * i]);
    const int low = HexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    parts[i] = static_cast<uint8_t>(high * 16 + low);
  }
  return MakeColour(parts[0], parts[1], parts[2]);
}

std::string FormatColourText(Colour colour) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const uint8_t part : {RedOf(colour), GreenOf(colour), BlueOf(colour)}) {
    text += kDigits[part >> 4];
    text += kDigits[part & 15];
  }
  return text;
}

}  // namespace quorel
