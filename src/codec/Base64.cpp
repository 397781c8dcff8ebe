// Quorel — SPDX-License-Identifier: MIT
#include "codec/Base64.h"

#include "common/Allocation.h"

namespace quorel {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

Result<std::string> EncodeBase64(std::span<const uint8_t> bytes) {
  const size_t groups = (bytes.size() + 2) / 3;
  std::string text;
  QUOREL_TRY(Resize(text, groups * 4));
  size_t in = 0;
  char* out = text.data();
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
  return text;
}

}  // namespace quorel
