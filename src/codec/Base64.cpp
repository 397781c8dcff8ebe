// Quorel — SPDX-License-Identifier: MIT
#include "codec/Base64.h"

namespace quorel {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Four characters for each group of three bytes, at `out`.
void Encode(std::span<const uint8_t> bytes, char* out) {
  size_t in = 0;
  for (; in + 3 <= bytes.size(); in += 3, out += 4) {
    const uint32_t v = (uint32_t{bytes[in]} << 16) | (uint32_t{bytes[in + 1]} << 8) | bytes[in + 2];
    out[0] = kAlphabet[v >> 18];
    out[1] = kAlphabet[(v >> 12) & 63];
    out[2] = kAlphabet[(v >> 6) & 63];
    out[3] = kAlphabet[v & 63];
  }
  // The last group of one or two bytes is padded with "=" to four characters.
  const size_t left = bytes.size() - in;
  if (left > 0) {
    uint32_t v = uint32_t{bytes[in]} << 16;
    if (left == 2) v |= uint32_t{bytes[in + 1]} << 8;
    out[0] = kAlphabet[v >> 18];
    out[1] = kAlphabet[(v >> 12) & 63];
    out[2] = left == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out[3] = '=';
  }
}

}  // namespace

Result<void> AppendBase64(std::span<const uint8_t> bytes, Text& text) {
  return text.AppendWritten((bytes.size() + 2) / 3 * 4, [&](std::span<char> chars) { Encode(bytes, chars.data()); });
}

Result<Text> EncodeBase64(std::span<const uint8_t> bytes) {
  Text text;
  QUOREL_TRY(AppendBase64(bytes, text));
  return text;
}

}  // namespace quorel
