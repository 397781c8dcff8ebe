// Quorel — SPDX-License-Identifier: MIT
#include "app/dialogs/SettingsDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "app/DialogUnits.h"
#include "app/dialogs/OkCancelBox.h"
#include "app/platform/FileDialogs.h"
#include "app/platform/Placement.h"
#include "output/OutputStyle.h"
#include "settings/IniStore.h"

namespace quorel {
namespace {

constexpr int kMaxPathChars = 255;

}  // namespace

SettingsDialog::SettingsDialog(const IniStore& store, QWidget* owner)
    : QDialog(owner), store_(store) {
  setWindowTitle(QStringLiteral("Quorel - 設定"));
  UseDialogFont(*this);
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
  // "…" as file pickers show it; an arrow would read as a drop-down list.
  browse->setText(QStringLiteral("…"));
  browse->setAccessibleName(QStringLiteral("参照"));
  browse->setGeometry(units.ToPixels(250, 26, 16, 13));
  connect(browse, &QToolButton::clicked, this, &SettingsDialog::Browse);

  // The output: how each picture of the snippet is made.
  const OutputStyle style = ReadOutputStyle(store_);
  auto combo = [&](const char* caption, int y, const QStringList& items, int current) {
    auto* label = new QLabel(QString::fromUtf8(caption), this);
    label->setGeometry(units.ToPixels(10, y + 2, 50, 10));
    auto* box = new QComboBox(this);
    box->addItems(items);
    box->setCurrentIndex(current);
    box->setGeometry(units.ToPixels(62, y, 130, 13));
    label->setBuddy(box);
    return box;
  };
  format_ = combo("出力形式", 46, {QStringLiteral("GIF 2色（従来どおり）"), QStringLiteral("PNG なめらかな縁")},
                  style.format == OutputFormat::kPng ? 1 : 0);
  density_ = combo("解像度", 64, {QStringLiteral("1倍（従来どおり）"), QStringLiteral("2倍（高解像度の画面向け）")},
                   style.density == OutputDensity::kDouble ? 1 : 0);

  AddOkCancel(*this, units.ToPixels(150, 88, 116, 14));
  PlaceAtCursor(*this);
}

void SettingsDialog::Browse() {
  QString path = path_->text().left(kMaxPathChars);
  if (path.isEmpty()) path = QStringLiteral("/usr/bin/");  // where programs live, not Pictures
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
  const OutputStyle style{format_->currentIndex() == 1 ? OutputFormat::kPng : OutputFormat::kGif,
                          density_->currentIndex() == 1 ? OutputDensity::kDouble : OutputDensity::kSingle};
  (void)WriteOutputStyle(store_, style);
  QDialog::accept();
}

}  // namespace quorel
