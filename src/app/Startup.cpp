// Quorel — SPDX-License-Identifier: MIT
#include "app/Startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>
#include <memory>

#include "app/MainWindow.h"
#include "app/platform/LocalLoop.h"
#include "app/platform/MessageBox.h"
#include "app/platform/SiblingLink.h"
#include "app/platform/SingleInstance.h"
#include "settings/EditorDefault.h"
#include "settings/OptionBits.h"

namespace quorel {
namespace {

SettingsFolder ChooseFolder(const QString& given) {
  if (!given.isEmpty()) return SettingsFolder(QFile::encodeName(given).toStdString());
  if (std::optional<SettingsFolder> user = SettingsFolder::ForUser()) return *user;
  // Neither XDG_CONFIG_HOME nor HOME: Qt's idea of the configuration folder.
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return SettingsFolder(QFile::encodeName(QDir(config).filePath(QStringLiteral("Wq"))).toStdString());
}

}  // namespace

bool LoadQtTranslation(QCoreApplication& app) {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  translator->setParent(&app);  // the application owns it from here
  return QCoreApplication::installTranslator(translator.release());
}

int RunQuorel(const StartupPaths& paths) {
  SingleInstance instance(paths.lock_folder);
  switch (instance.Acquire()) {
    case SingleInstance::Outcome::kAcquired: break;
    case SingleInstance::Outcome::kAlreadyRunning:
      // The running window comes forward; the message says why no second one opens.
      (void)SiblingLink::AskToRaise(instance.OwnerPid());
      MessageBox::ShowMessage(nullptr, MessageCode::kAlreadyRunning);
      return 0;
    case SingleInstance::Outcome::kFailed:
      MessageBox::ShowMessage(nullptr, MessageCode::kSystemFault);
      return 0;
  }

  const SettingsFolder folder = ChooseFolder(paths.settings_folder);
  (void)folder.Create();  // a failure is silent: reads then give defaults
  (void)folder.RemoveStaleTemporaries();  // left by a crash while a file was replaced
  const IniStore store(folder.IniPath());
  int32_t bits = ReadOptionBits(store);
  bits = ApplyFirstRunDefaults(store, bits, DefaultEditorPath());

  MainWindow window(folder, bits);
  RunModeless(window, nullptr);
  (void)WriteOptionBits(store, window.OptionBits());
  return 0;
}

}  // namespace quorel
