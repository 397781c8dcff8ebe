// Quorel — SPDX-License-Identifier: MIT
#include "app/dialogs/ScaleDialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "app/DialogUnits.h"
#include "app/dialogs/OkCancelBox.h"
#include "app/platform/LocalLoop.h"
#include "app/platform/Placement.h"
#include "panel/CleanupSettings.h"
#include "panel/ImagePanel.h"

namespace quorel {
namespace {

// A box's number the way an unsigned dialog-item read gives it: 0 when empty
// or unreadable, then compared as a signed 32-bit value.
int32_t NumberIn(const QLineEdit* edit) {
  bool ok = false;
  const uint value = edit->text().toUInt(&ok);
  return ok ? static_cast<int32_t>(value) : 0;
}

}  // namespace

ScaleDialog::ScaleDialog(const ScaleSettings& current, CleanupLevel cleanup, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("画像を拡大/縮小する"));
  UseDialogFont(*this);
  const DialogUnits units = DialogUnits::ForFont(font());
  setFixedSize(units.X(153), units.Y(116));

  const std::array<QString, 4> captions{QStringLiteral("拡大/縮小しない"),
                                        QStringLiteral("高さを合わせる"),
                                        QStringLiteral("幅を合わせる"),
                                        QStringLiteral("拡大/縮小率")};
  const std::array<int, 4> ids{1011, 1016, 1017, 1018};
  for (size_t i = 0; i < 4; ++i) {
    modes_[i] = new QCheckBox(captions[i], this);
    modes_[i]->setObjectName(QStringLiteral("c%1").arg(ids[i]));
    modes_[i]->setGeometry(units.ToPixels(8, 8 + 16 * static_cast<int>(i), 80, 10));
    // Plain check boxes kept exclusive by the dialog.
    connect(modes_[i], &QCheckBox::clicked, this, [this, i] { SelectMode(static_cast<int>(i)); });
  }
  // No more digits than the upper limit has, so a long number cannot wrap
  // into a small one: what is typed is what OK limits.
  auto number_edit = [&](int id, int y, const QString& unit, int32_t value, int32_t max) {
    auto* edit = new QLineEdit(QString::number(static_cast<uint32_t>(value)), this);
    edit->setObjectName(QStringLiteral("c%1").arg(id));
    edit->setAlignment(Qt::AlignRight);
    const QString digits = QStringLiteral("[0-9]{0,%1}").arg(QString::number(max).size());
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(digits), edit));
    edit->setGeometry(units.ToPixels(90, y, 30, 12));
    auto* label = new QLabel(unit, this);
    label->setGeometry(units.ToPixels(123, y + 2, 28, 10));
    return edit;
  };
  height_ = number_edit(1020, 23, QStringLiteral("ピクセル"), current.target_height, kMaxTargetSide);
  width_ = number_edit(1021, 39, QStringLiteral("ピクセル"), current.target_width, kMaxTargetSide);
  ratio_ = number_edit(1012, 55, QStringLiteral("%"), current.ratio, kMaxRatio);
  // The clean-up comes before the size: sizes refer to the cleaned picture.
  auto* cleanup_label = new QLabel(QStringLiteral("補正"), this);
  cleanup_label->setGeometry(units.ToPixels(8, 76, 30, 10));
  cleanup_ = new QComboBox(this);
  cleanup_->setObjectName(QStringLiteral("cleanup"));
  // In the order of the levels' numbers.
  cleanup_->addItems({QStringLiteral("なし"), QStringLiteral("余白を切り取る"), QStringLiteral("写真を補正")});
  cleanup_->setCurrentIndex(static_cast<int>(cleanup));
  cleanup_->setGeometry(units.ToPixels(40, 74, 105, 13));
  cleanup_label->setBuddy(cleanup_);
  AddOkCancel(*this, units.ToPixels(22, 95, 108, 14));

  if (current.mode >= 0 && current.mode <= 3) modes_[static_cast<size_t>(current.mode)]->setChecked(true);
}

void ScaleDialog::SelectMode(int mode) {
  for (size_t i = 0; i < modes_.size(); ++i) modes_[i]->setChecked(static_cast<int>(i) == mode);
}

ScaleSettings ScaleDialog::Chosen() const {
  ScaleSettings chosen;
  chosen.target_height = NumberIn(height_);
  chosen.target_width = NumberIn(width_);
  chosen.ratio = NumberIn(ratio_);
  chosen.mode = kScaleRatio;
  for (int mode = 0; mode < 3; ++mode) {
    if (modes_[static_cast<size_t>(mode)]->isChecked()) {
      chosen.mode = mode;
      break;
    }
  }
  return LimitScaleSettings(chosen);
}

CleanupLevel ScaleDialog::ChosenCleanup() const {
  return static_cast<CleanupLevel>(std::max(0, cleanup_->currentIndex()));
}

bool OpenScaleDialog(ImagePanel& panel, const IniStore& store, QWidget* main_window) {
  ScaleDialog dialog(panel.scale(), panel.cleanup());
  PlaceAtCursor(dialog);
  if (RunModeless(dialog, main_window) != QDialog::Accepted) return false;
  panel.SetScale(dialog.Chosen());
  (void)WriteScaleSettings(store, panel.index(), panel.scale());
  if (dialog.ChosenCleanup() != panel.cleanup()) {
    (void)WriteCleanupLevel(store, panel.index(), dialog.ChosenCleanup());
    // NOTE: a cleaned picture that cannot be made leaves the picture as it is.
    (void)panel.SetCleanup(dialog.ChosenCleanup());
  }
  return true;
}

}  // namespace quorel
