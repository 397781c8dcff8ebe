// Quorel — SPDX-License-Identifier: MIT
#include "common/Messages.h"

namespace quorel {

std::string_view MessageText(MessageCode code) {
  switch (code) {
    case MessageCode::kSystemFault: return "システム異常です．";
    case MessageCode::kClipboardBusy: return "クリップボードがオープンできない．";
    case MessageCode::kSignatureFailed: return "Quorel(手書きの名前)が作成できません．";
    case MessageCode::kSealFailed: return "印影が作成できません．";
    case MessageCode::kAlreadyRunning: return "二重起動です．";
  }
  return "";
}

MessageCode MessageForStatus(Status status) {
  switch (status) {
    case Status::kSignatureFailed: return MessageCode::kSignatureFailed;
    case Status::kSealFailed: return MessageCode::kSealFailed;
    default: return MessageCode::kSystemFault;
  }
}

}  // namespace quorel
