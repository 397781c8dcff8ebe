// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

#include "common/Status.h"

namespace quorel {

// The user-facing messages, indexed by their code. Every front end shows them
// from here, with the caption below.
enum class MessageCode : int {
  kSystemFault = 0,
  kClipboardBusy = 5,
  kSignatureFailed = 8,
  kSealFailed = 9,
  kAlreadyRunning = 11,
};

inline constexpr std::string_view kMessageCaption = "BASE64変換";

std::string_view MessageText(MessageCode code);

// The message an output that failed with `status` shows: 8 or 9 for a
// picture whose tag cannot be made, otherwise 0.
MessageCode MessageFor(Status status);

}  // namespace quorel
