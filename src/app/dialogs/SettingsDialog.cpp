// Quorel — SPDX-License-Identifier: MIT
#include "app/dialogs/SettingsDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "app/DialogUnits.h"
#include "app/Icons.h"
#include "app/dialogs/OkCancelBox.h"
#include "app/platform/FileDialogs.h"
#include "app/platform/Placement.h"
#include "settings/IniStore.h"

namespace quorel {
namespace {

constexpr int kMaxPathChars = 255;

}  // namespace

SettingsDialog::SettingsDialog(const IniStore& store, QWidget* owner)
    : QDialog(owner), store_(store) {
  setWindowTitle(QStringLiteral("Quorel - 設定"));
  QFont dialog_font = font();
  dialog_font.setPointSize(8);
  setFont(dialog_font);
  const DialogUnits units = DialogUnits::ForFont(font());
  setFixedSize(units.X(276), units.Y(111));

  auto* label = new QLabel(QStringLiteral("画像編集ソフト"), this);
  label->setGeometry(units.ToPixels(10, 12, 120, 10));
  path_ = new QLineEdit(this);
  path_->setObjectName(QStringLiteral("c1020"));
  path_->setMaxLength(kMaxPathChars);
  path_->setGeometry(units.ToPixels(10, 26, 236, 13));
  path_->setText(QString::fromStdString(store_.ReadString(kOptionSection, kGraphicEditorKey)));
  auto* browse = new QToolButton(this);
  browse->setObjectName(QStringLiteral("c1004"));
  browse->setIcon(IconOf(Icon::kBrowse));
  browse->setIconSize(QSize(16, 16));
  browse->setAccessibleName(QStringLiteral("参照"));
  browse->setGeometry(units.ToPixels(250, 26, 16, 13));
  connect(browse, &QToolButton::clicked, this, &SettingsDialog::Browse);

  AddOkCancel(*this, units.ToPixels(150, 88, 116, 14));
  PlaceAtCursor(*this);
}

void SettingsDialog::Browse() {
  QString path = path_->text().left(kMaxPathChars);
  const FileFilter executables{QStringLiteral("画像編集ソフト"), QStringLiteral("*")};
  if (ChooseOpenFile({executables}, path, this, QStringLiteral("画像編集ソフトを設定する"),
                     QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot)) {
    path_->setText(path);
  }
}

void SettingsDialog::accept() {
  const QByteArray text = path_->text().left(kMaxPathChars).toUtf8();
  (void)store_.WriteString(kOptionSection, kGraphicEditorKey,
                           std::string_view(text.constData(), static_cast<size_t>(text.size())));
  QDialog::accept();
}

}  // namespace quorel
