// Quorel — SPDX-License-Identifier: MIT
#include "app/dialogs/SettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "app/DialogUnits.h"
#include "app/dialogs/OkCancelBox.h"
#include "app/platform/FileDialogs.h"
#include "app/platform/Placement.h"
#include "app/WindowMessages.h"
#include "app/platform/MessageBox.h"
#include "output/ExportFiles.h"
#include "output/HtmlText.h"
#include "output/OutputState.h"
#include "output/OutputStyle.h"
#include "settings/IniStore.h"

namespace quorel {
namespace {

constexpr int kMaxPathChars = 255;
// NOTE: wq.ini gives back at most 255 bytes of a value, so a URL (ASCII) is
// bounded there, and an alt text is cut to whole characters that fit.
constexpr int kMaxStoredBytes = 255;

QString FitStoredBytes(QString text) {
  while (text.toUtf8().size() > kMaxStoredBytes) text.chop(text.back().isLowSurrogate() ? 2 : 1);
  return text;
}

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

void WriteText(const IniStore& store, std::string_view key, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  (void)store.WriteString(kQuorelSection, key, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

}  // namespace

SettingsDialog::SettingsDialog(const IniStore& store, QWidget* owner)
    : QDialog(owner), store_(store) {
  setWindowTitle(QStringLiteral("Quorel - 設定"));
  UseDialogFont(*this);
  const DialogUnits units = DialogUnits::ForFont(font());
  setFixedSize(units.X(276), units.Y(165));

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

  // Where exported pictures are uploaded to, and what each picture's tag says
  // to those who cannot see it.
  auto line = [&](const char* caption, int y, std::string_view key, int max_length) {
    auto* label = new QLabel(QString::fromUtf8(caption), this);
    label->setGeometry(units.ToPixels(10, y + 2, 82, 10));
    auto* edit = new QLineEdit(FromUtf8(store_.ReadString(kQuorelSection, key)).left(max_length), this);
    edit->setMaxLength(max_length);
    edit->setGeometry(units.ToPixels(94, y, 172, 13));
    label->setBuddy(edit);
    return edit;
  };
  base_url_ = line("ベースURL", 84, kBaseUrlKey, kMaxStoredBytes);
  base_url_->setPlaceholderText(QStringLiteral("https://example.org/images/（書き出しの画像の置き場所）"));
  alts_[0] = line("Quorelの代替テキスト", 102, kAltTextKeys[0], static_cast<int>(kMaxAltCharacters));
  alts_[1] = line("印影の代替テキスト", 120, kAltTextKeys[1], static_cast<int>(kMaxAltCharacters));

  offer_shared_photo_ = new QCheckBox(QStringLiteral("写真なら、もう一方の欄にも使うか尋ねる"), this);
  offer_shared_photo_->setChecked(store_.ReadInt(kOfferSharedPhotoKey, 1) != 0);
  offer_shared_photo_->setGeometry(units.ToPixels(10, 143, 138, 12));

  AddOkCancel(*this, units.ToPixels(150, 142, 116, 14));
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
  const QString base_url = base_url_->text().trimmed();
  const QByteArray url = base_url.toUtf8();
  if (!base_url.isEmpty() && !WebBaseUrl(std::string_view(url.constData(), static_cast<size_t>(url.size())))) {
    MessageBox::ShowText(this, BaseUrlRefusedText(base_url));
    base_url_->setFocus();
    return;  // nothing stored; the dialog stays open
  }
  const QByteArray text = path_->text().left(kMaxPathChars).toUtf8();
  (void)store_.WriteString(kOptionSection, kGraphicEditorKey,
                           std::string_view(text.constData(), static_cast<size_t>(text.size())));
  const OutputStyle style{format_->currentIndex() == 1 ? OutputFormat::kPng : OutputFormat::kGif,
                          density_->currentIndex() == 1 ? OutputDensity::kDouble : OutputDensity::kSingle};
  (void)WriteOutputStyle(store_, style);
  WriteText(store_, kBaseUrlKey, base_url);
  for (size_t i = 0; i < alts_.size(); ++i) WriteText(store_, kAltTextKeys[i], FitStoredBytes(alts_[i]->text()));
  (void)store_.WriteInt(kOfferSharedPhotoKey, offer_shared_photo_->isChecked() ? 1 : 0);
  QDialog::accept();
}

}  // namespace quorel
