// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QCoreApplication;

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

// Installs Qt's Japanese translation, so Qt's own dialogs (files, colours,
// message box buttons) speak the program's language. False when the
// translation is not installed; the program then runs with Qt's English.
bool LoadQtTranslation(QCoreApplication& app);

}  // namespace quorel
