// Quorel — SPDX-License-Identifier: MIT
#include "app/dialogs/ScaleDialog.h"

#include <algorithm>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "app/DialogUnits.h"
#include "app/dialogs/OkCancelBox.h"
#include "app/platform/LocalLoop.h"
#include "app/platform/Placement.h"
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
  // Wide enough for the whole title and the ranges beside the boxes.
  setFixedSize(units.X(196), units.Y(116));

  const std::array<QString, 4> captions{QStringLiteral("拡大/縮小しない"),
                                        QStringLiteral("高さを合わせる"),
                                        QStringLiteral("幅を合わせる"),
                                        QStringLiteral("拡大/縮小率")};
  const std::array<int, 4> ids{1011, 1016, 1017, 1018};
  for (size_t i = 0; i < 4; ++i) {
    // Radio buttons: the four modes exclude each other.
    modes_[i] = new QRadioButton(captions[i], this);
    modes_[i]->setObjectName(QStringLiteral("c%1").arg(ids[i]));
    modes_[i]->setGeometry(units.ToPixels(8, 8 + 16 * static_cast<int>(i), 80, 10));
    connect(modes_[i], &QRadioButton::toggled, this, [this] { EnableNumbers(); });
  }
  // No more digits than the upper limit has, so a long number cannot wrap
  // into a small one: what is typed is what OK limits.
  // The unit says the range; leaving a box shows the number OK will use.
  auto number_edit = [&](int id, int y, const QString& unit, int32_t value, int32_t min, int32_t max) {
    auto* edit = new QLineEdit(QString::number(static_cast<uint32_t>(value)), this);
    edit->setObjectName(QStringLiteral("c%1").arg(id));
    edit->setAlignment(Qt::AlignRight);
    const QString digits = QStringLiteral("[0-9]{0,%1}").arg(QString::number(max).size());
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(digits), edit));
    edit->setGeometry(units.ToPixels(90, y, 30, 12));
    auto* label = new QLabel(QStringLiteral("%1（%2～%3）").arg(unit).arg(min).arg(max), this);
    label->setGeometry(units.ToPixels(123, y + 2, 70, 10));
    label->setBuddy(edit);
    connect(edit, &QLineEdit::editingFinished, this, &ScaleDialog::ShowNumbersUsed);
    return edit;
  };
  height_ = number_edit(1020, 23, QStringLiteral("ピクセル"), current.target_height, kMinTargetSide,
                        kMaxTargetSide);
  width_ = number_edit(1021, 39, QStringLiteral("ピクセル"), current.target_width, kMinTargetSide,
                       kMaxTargetSide);
  ratio_ = number_edit(1012, 55, QStringLiteral("%"), current.ratio, kMinRatio, kMaxRatio);
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
  AddOkCancel(*this, units.ToPixels(44, 95, 108, 14));

  if (current.mode >= 0 && current.mode <= 3) modes_[static_cast<size_t>(current.mode)]->setChecked(true);
  EnableNumbers();
  ShowNumbersUsed();
}

void ScaleDialog::EnableNumbers() {
  // "No scaling" uses none of the numbers.
  const bool used = !modes_[0]->isChecked();
  for (QLineEdit* edit : {height_, width_, ratio_}) edit->setEnabled(used);
}

void ScaleDialog::ShowNumbersUsed() {
  const ScaleSettings used = Chosen();
  height_->setText(QString::number(used.target_height));
  width_->setText(QString::number(used.target_width));
  ratio_->setText(QString::number(used.ratio));
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

std::optional<CleanupLevel> OpenScaleDialog(ImagePanel& panel, const IniStore& store, QWidget* main_window) {
  ScaleDialog dialog(panel.scale(), panel.cleanup());
  PlaceAtCursor(dialog);
  if (RunModeless(dialog, main_window) != QDialog::Accepted) return std::nullopt;
  panel.SetScale(dialog.Chosen());
  (void)WriteScaleSettings(store, panel.index(), panel.scale());
  return dialog.ChosenCleanup();
}

}  // namespace quorel
