// Quorel — SPDX-License-Identifier: MIT
#include "output/HtmlText.h"

namespace quorel {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The length of the sequence a lead byte starts and the bits it carries; 0
// for a byte that cannot start one.
int SequenceLength(uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

std::u32string DecodeUtf8(std::string_view utf8) {
  std::u32string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<uint8_t>(utf8[i]);
    const int length = SequenceLength(lead);
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    bool good = length > 0 && i + length <= utf8.size();
    for (int k = 1; good && k < length; ++k) {
      const auto next = static_cast<uint8_t>(utf8[i + k]);
      good = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    good = good && c >= kSmallest[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
    out += good ? c : kReplacement;
    i += good ? length : 1;
  }
  return out;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  for (const char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
      out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      out += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
              static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
  }
  return out;
}

std::string HtmlAttributeText(std::string_view utf8, size_t max_characters) {
  std::u32string text = DecodeUtf8(utf8);
  if (text.size() > max_characters) text.resize(max_characters);
  std::string out;
  for (const char32_t c : text) {
    switch (c) {
      case '"': out += "&quot;"; break;
      case '&': out += "&amp;"; break;
      case '\'': out += "&#39;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default:
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {  // a reference to C1 would read as windows-1252
          out += ' ';
        } else if (c < 0x80) {
          out += static_cast<char>(c);
        } else {
          out += "&#" + std::to_string(static_cast<uint32_t>(c)) + ";";
        }
    }
  }
  return out;
}

}  // namespace quorel
