// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include "app/platform/Clipboard.h"
#include "app/platform/LocalLoop.h"
#include "app/platform/Placement.h"

namespace quorel {
namespace {

struct HookState {
  std::optional<QString> next_name;
  FileDialogRequest last;
};

HookState& Hooks() {
  static HookState state;
  return state;
}

QString QtFilter(const FileFilter& filter) {
  QString patterns = filter.patterns;
  patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
  return filter.description + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

QString QtFilters(const QList<FileFilter>& filters) {
  QStringList joined;
  for (const FileFilter& filter : filters) joined << QtFilter(filter);
  return joined.join(QStringLiteral(";;"));
}

// Shows the dialog (or takes the test's answer); the chosen path or none.
std::optional<QString> RunDialog(QFileDialog& dialog, QWidget* owner,
                                 QWidget* ends_with = nullptr) {
  if (auto answer = std::exchange(Hooks().next_name, std::nullopt)) {
    if (answer->isEmpty()) return std::nullopt;
    return answer;
  }
  // Fitted once it is shown: Qt sizes the dialog itself when it opens.
  QTimer::singleShot(0, &dialog, [&dialog] { FitToScreen(dialog); });
  int result;
  if (owner) {
    result = dialog.exec();
  } else {
    result = RunModeless(dialog, ends_with);
  }
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

}  // namespace

void FileDialog::SetNextFileName(const QString& name) { Hooks().next_name = name; }
void FileDialog::ClearNextFileName() { Hooks().next_name.reset(); }
const FileDialogRequest& FileDialog::LastRequest() { return Hooks().last; }

QString PictureFolder() {
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  return !pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath();
}

QList<FileFilter> PictureFilters() {
  QStringList patterns;
  for (const char* suffix : kPictureSuffixes) {
    const QString lower = QStringLiteral("*.") + QLatin1String(suffix);
    patterns << lower << lower.toUpper();
  }
  return {{QStringLiteral("画像ファイル"), QStringLiteral("*.jpg;*.gif;*.bmp;*.png")},
          {QStringLiteral("すべての画像ファイル"), patterns.join(QLatin1Char(';')), true},
          {QStringLiteral("全ファイル"), QStringLiteral("*")}};
}

bool ChooseOpenFile(const QList<FileFilter>& filters, QString& path, QWidget* owner,
                    const QString& title, QDir::Filters entries, QWidget* ends_with) {
  QString start = path;
  if (start.isEmpty()) {
    start = PictureFolder() + QLatin1Char('/');
  } else if (!start.contains(QLatin1Char('/'))) {
    return false;
  }
  QFileDialog dialog(owner, title, start, QtFilters(filters));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // Nothing is proposed for a folder: a name there would only be in the way.
  if (const QString name = QFileInfo(start).fileName(); !name.isEmpty()) dialog.selectFile(name);
  QString selected;
  for (const FileFilter& filter : filters) {
    if (filter.selected) selected = QtFilter(filter);
  }
  if (!selected.isEmpty()) dialog.selectNameFilter(selected);
  if (entries != QDir::Filters()) {
    // The entry filter (executables only) needs Qt's own dialog.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFilter(entries);
  }
  Hooks().last = FileDialogRequest{title, start, QtFilters(filters), selected, owner, false};
  const std::optional<QString> chosen = RunDialog(dialog, owner, ends_with);
  if (!chosen || !QFileInfo::exists(*chosen)) return false;
  path = QFileInfo(*chosen).absoluteFilePath();
  return true;
}

namespace {

// The save dialog of an output file: `path` proposes the file (or a folder
// ending in '/', or nothing); the chosen name gets the filter's extension.
bool ChooseOutputFile(QString& path, QWidget* owner, const QString& title, const FileFilter& filter,
                      const QString& extension) {
  const QString untitled = QString::fromUtf8(kDefaultFileName) + QLatin1Char('.') + extension;
  QString start = path;
  if (start.isEmpty()) {
    start = PictureFolder() + QLatin1Char('/') + untitled;
  } else if (start.endsWith(QLatin1Char('/'))) {
    start += untitled;
  }
  const QString filters = QtFilters({filter, {QStringLiteral("全ファイル"), QStringLiteral("*")}});
  QFileDialog dialog(owner, title, start, filters);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.selectFile(QFileInfo(start).fileName());
  Hooks().last = FileDialogRequest{title, start, filters, QString(), owner, true};
  const std::optional<QString> chosen = RunDialog(dialog, owner);
  if (!chosen) return false;
  const std::optional<QString> forced = ForceExtension(*chosen, extension);
  if (!forced) return false;
  path = *forced;
  return true;
}

}  // namespace

bool ChooseTextOutputFile(QString& path, QWidget* owner) {
  return ChooseOutputFile(path, owner, QStringLiteral("Quorelをテキストファイルに書き出す"),
                          {QStringLiteral("テキストファイル"), QStringLiteral("*.txt")}, QStringLiteral("txt"));
}

bool ChooseMailFile(QString& path, QWidget* owner) {
  return ChooseOutputFile(path, owner, QStringLiteral("Quorelをメールとして保存する"),
                          {QStringLiteral("メール"), QStringLiteral("*.eml")}, QStringLiteral("eml"));
}

bool ChooseExportFolder(QString& path, QWidget* owner) {
  const QString start = path.isEmpty() ? PictureFolder() : path;
  const QString title = QStringLiteral("Quorelの画像とHTMLを書き出すフォルダー");
  QFileDialog dialog(owner, title, start);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  Hooks().last = FileDialogRequest{title, start, QString(), QString(), owner, false};
  const std::optional<QString> chosen = RunDialog(dialog, owner);
  if (!chosen) return false;
  path = QFileInfo(*chosen).absoluteFilePath();
  return true;
}

std::optional<QString> ForceTxtExtension(const QString& path) {
  return ForceExtension(path, QStringLiteral("txt"));
}

std::optional<QString> ForceExtension(const QString& path, const QString& extension) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  if (slash < 0) return std::nullopt;
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot > slash) return path.left(dot + 1) + extension;
  return path + QLatin1Char('.') + extension;
}

}  // namespace quorel
