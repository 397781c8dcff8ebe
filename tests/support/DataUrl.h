// Quorel — SPDX-License-Identifier: MIT
#pragma once

// Takes a snippet apart again: the GIF bytes of each data URL, in order.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorel::test {

// Plain RFC 4648 decoding, independent of the encoder under test; none for a
// character outside the alphabet or a length that is not a multiple of four.
inline std::optional<std::vector<uint8_t>> DecodeBase64(std::string_view text) {
  constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (text.size() % 4 != 0) return std::nullopt;
  std::vector<uint8_t> out;
  for (size_t i = 0; i < text.size(); i += 4) {
    uint32_t v = 0;
    int pad = 0;
    for (size_t k = 0; k < 4; ++k) {
      const char c = text[i + k];
      size_t d = 0;
      if (c == '=' && i + 4 == text.size() && k >= 2) {
        ++pad;
      } else {
        d = kAlphabet.find(c);
        if (d == std::string_view::npos || pad) return std::nullopt;
      }
      v = (v << 6) | static_cast<uint32_t>(d);
    }
    out.push_back(static_cast<uint8_t>(v >> 16));
    if (pad < 2) out.push_back(static_cast<uint8_t>(v >> 8));
    if (pad < 1) out.push_back(static_cast<uint8_t>(v));
  }
  return out;
}

// The Base64 texts of the image tags in a snippet, in order.
inline std::vector<std::string> Base64OfTags(std::string_view snippet) {
  constexpr std::string_view kStart = "<img src=\"data:image/gif;base64,";
  std::vector<std::string> found;
  size_t at = 0;
  while ((at = snippet.find(kStart, at)) != std::string_view::npos) {
    at += kStart.size();
    const size_t end = snippet.find("\">", at);
    if (end == std::string_view::npos) break;
    found.emplace_back(snippet.substr(at, end - at));
    at = end + 2;
  }
  return found;
}

// The GIF files of the image tags; a tag that does not decode gives an empty file.
inline std::vector<std::vector<uint8_t>> GifsOfSnippet(std::string_view snippet) {
  std::vector<std::vector<uint8_t>> gifs;
  for (const std::string& text : Base64OfTags(snippet)) {
    gifs.push_back(DecodeBase64(text).value_or(std::vector<uint8_t>{}));
  }
  return gifs;
}

}  // namespace quorel::test
