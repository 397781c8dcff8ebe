// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include <QDir>
#include <QList>
#include <QString>

class QWidget;

namespace quorel {

// One filter of a file dialog: a description and patterns separated by ';'.
struct FileFilter {
  QString description;
  QString patterns;
  bool selected = false;  // the one the dialog opens with (else the first)
};

// What a file dialog was asked to show; tests read it back.
struct FileDialogRequest {
  QString title;
  QString start_path;     // folder and proposed name
  QString filter;         // as Qt shows it: "description (patterns)"
  QString selected_filter;
  QWidget* owner = nullptr;
  bool saving = false;
};

// Test hooks: the next dialog is answered with a name (an empty name cancels)
// instead of being shown; the last request is kept either way.
class FileDialog {
 public:
  static void SetNextFileName(const QString& name);
  static void ClearNextFileName();
  static const FileDialogRequest& LastRequest();
};

inline constexpr const char* kDefaultFileName = "無題";  // the save dialog's first name

// The folder a dialog starts in when no name is given: the user's pictures,
// or the home folder when there is none.
QString PictureFolder();

// The open dialog's filters for pictures: the first entry as it always was,
// then every name the import takes (any case), selected, then all files.
QList<FileFilter> PictureFilters();

// Runs the open dialog. `path` gives the starting folder and name and receives
// the chosen full path. A non-empty path without any '/' returns false at
// once, without a dialog; one ending in '/' starts in that folder with no name
// proposed; an empty one in the picture folder. True when a file was chosen
// and exists. Without an owner the dialog is not modal and every window stays
// usable while it is open; it is cancelled when `ends_with` (if given) ends.
bool ChooseOpenFile(const QList<FileFilter>& filters, QString& path, QWidget* owner,
                    const QString& title, QDir::Filters entries = QDir::Filters(),
                    QWidget* ends_with = nullptr);

// Runs the save dialog for the text output, owned by `owner`. An existing
// file is later overwritten without a question. On confirmation `path` holds
// the chosen path with its extension forced to ".txt".
bool ChooseTextOutputFile(QString& path, QWidget* owner);

// Runs the folder dialog of the export, owned by `owner`. `path` gives the
// starting folder (empty: the picture folder) and receives the chosen one.
bool ChooseExportFolder(QString& path, QWidget* owner);

// Runs the save dialog for the e-mail message (the ".eml" filter), owned by
// `owner`; as for the text output, the extension is forced to ".eml" and an
// existing file is left for the caller to ask about.
bool ChooseMailFile(QString& path, QWidget* owner);

// The extension forcing of the text output: the part after the last full stop
// of the file name becomes "txt", or ".txt" is appended when the name has no
// full stop. None when the path has no '/'.
std::optional<QString> ForceTxtExtension(const QString& path);
std::optional<QString> ForceExtension(const QString& path, const QString& extension);

}  // namespace quorel
