// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <utility>

#include "codec/Decoded.h"

namespace quorel::test {

// A reader's picture without its completeness, for tests that look at pixels only.
inline Result<PackedDib> PictureOf(Result<Decoded> decoded) {
  if (!decoded) return decoded.status();
  return std::move(decoded->picture);
}

}  // namespace quorel::test
