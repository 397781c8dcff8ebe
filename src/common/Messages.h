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

// The message a front end shows for an output that cannot be made: which
// picture failed, or a system fault for anything else.
MessageCode MessageForStatus(Status status);

}  // namespace quorel
