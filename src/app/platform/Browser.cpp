// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/Browser.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QString>

namespace quorel {
namespace {

Browser::Opener& ActiveOpener() {
  static Browser::Opener opener;
  return opener;
}

constexpr const char* kHelpPagePath = "/quorel/help/man.html";

}  // namespace

void Browser::Open(const QUrl& url) {
  if (ActiveOpener()) {
    ActiveOpener()(url);
    return;
  }
  QDesktopServices::openUrl(url);
}

void Browser::SetOpener(Opener opener) { ActiveOpener() = std::move(opener); }

QUrl HelpPageUrl() {
  const QString base = QStringLiteral(QUOREL_HELP_BASE);
  if (!base.isEmpty()) return QUrl(base + QLatin1String(kHelpPagePath));
  const QString installed = QStringLiteral(QUOREL_INSTALLED_HELP_ROOT) + kHelpPagePath;
  if (QFileInfo::exists(installed)) return QUrl::fromLocalFile(installed);
  return QUrl::fromLocalFile(QStringLiteral(QUOREL_SOURCE_HELP_ROOT) + kHelpPagePath);
}

}  // namespace quorel
