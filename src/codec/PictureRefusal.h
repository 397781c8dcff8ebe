// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "common/Status.h"

namespace quorel {

// Why a picture was refused, in the words every front end shows, and what to
// do instead. A front end adds what only it can tell: that a file is missing
// or not readable, its own size limit.
enum class RefusalKind { kFormat, kSize, kUnreadable };

struct RefusalText {
  std::string reason;
  std::string advice;
};

RefusalKind RefusalKindOf(Status status);

// The format advice lists only what this build reads.
RefusalText RefusalTextOf(RefusalKind kind);

}  // namespace quorel
