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
  constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (text.size() % 4 != 0) return std::nullopt;
  text.remove_suffix(text.ends_with("==") ? 2 : text.ends_with('=') ? 1 : 0);
  std::vector<uint8_t> out;
  uint32_t bits = 0;
  int held = 0;  // bits not yet written
  for (const char c : text) {
    const size_t digit = kAlphabet.find(c);
    if (digit == std::string_view::npos) return std::nullopt;
    bits = (bits << 6) | static_cast<uint32_t>(digit);
    held += 6;
    if (held >= 8) out.push_back(static_cast<uint8_t>(bits >> (held -= 8)));
  }
  return out;
}

// The Base64 texts of the image tags in a snippet, in order.
inline std::vector<std::string> Base64OfTags(std::string_view snippet) {
  constexpr std::string_view kStart = "src=\"data:image/gif;base64,";
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
