// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

namespace quorel {

// The program's icons by their resource numbers: 101 the window icon (a round
// red seal), 103 browse, 105 copy, 106 save, 108/109 scale mode none/other,
// 111–113 align right/centre/left, 114 edit, 115 help, 116 settings, 222 view.
QIcon IconResource(int number);

}  // namespace quorel
