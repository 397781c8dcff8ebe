// Quorel — SPDX-License-Identifier: MIT
#pragma once
// FIXME: emscripten 3.1.6's libc++ has no floating-point std::to_chars, which
// the panel's readout uses for its percentage. This stands in for the one
// overload it calls, in the web build only, until that call goes. The C
// locale is the only one in WebAssembly, and musl's printf rounds exactly as
// to_chars does.
#include <charconv>
#include <cstdio>

namespace std {
inline to_chars_result to_chars(char* first, char* last, double value, chars_format,
                                int precision) {
  const int n = std::snprintf(first, static_cast<size_t>(last - first), "%.*f", precision, value);
  if (n < 0 || n >= last - first) return {last, errc::value_too_large};
  return {first + n, errc{}};
}
}  // namespace std
