// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace quorel {

// Where start-up looks for things; tests point both at temporary folders.
struct StartupPaths {
  QString lock_folder;      // empty: the user's runtime folder
  QString settings_folder;  // empty: the user's settings folder
};

// The whole run: one instance at a time (messages 11 and 0 otherwise), the
// settings folder and wq.ini, the option bits read (first run: the editor
// default written), the main window until it ends, the option bits written.
// Always returns 0.
int RunQuorel(const StartupPaths& paths = StartupPaths());

}  // namespace quorel
