// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/Clipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <cstring>

#include "image/DibLayout.h"
#include "output/ColourText.h"

namespace quorel {
namespace {

constexpr qsizetype kBmpFileHeaderSize = 14;

bool& Busy() {
  static bool busy = false;
  return busy;
}

std::optional<PackedDib> RawDibOf(const QByteArray& bmp) {
  if (bmp.size() <= kBmpFileHeaderSize || bmp[0] != 'B' || bmp[1] != 'M') return std::nullopt;
  const auto* bytes = reinterpret_cast<const uint8_t*>(bmp.constData());
  auto dib = PackedDib::FromBytes(std::span<const uint8_t>(
      bytes + kBmpFileHeaderSize, static_cast<size_t>(bmp.size() - kBmpFileHeaderSize)));
  if (!dib) return std::nullopt;
  return std::move(*dib);
}

}  // namespace

std::optional<PackedDib> DibFromImage(const QImage& image) {
  if (image.isNull()) return std::nullopt;
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const int64_t width = rgb.width();
  const int64_t height = rgb.height();
  auto dib = CreateDib(static_cast<int32_t>(width), static_cast<int32_t>(height), 32, 0,
                       PixelFill::kNone);
  if (!dib) return std::nullopt;
  const DibRows rows = DibRows::Of(*dib).value();
  for (int64_t row = 0; row < height; ++row) {
    // Stored bottom-up: the picture's last line comes first.
    const uchar* line = rgb.constScanLine(static_cast<int>(height - 1 - row));
    uint8_t* target = rows.StoredRow(static_cast<int32_t>(row)).data();
    for (int64_t x = 0; x < width; ++x) {
      const QRgb pixel = reinterpret_cast<const QRgb*>(line)[x];
      target[x * 4 + 0] = static_cast<uint8_t>(qBlue(pixel));
      target[x * 4 + 1] = static_cast<uint8_t>(qGreen(pixel));
      target[x * 4 + 2] = static_cast<uint8_t>(qRed(pixel));
      target[x * 4 + 3] = 0;
    }
  }
  return std::move(*dib);
}

std::optional<PackedDib> Clipboard::TakePicture() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  if (!data) return std::nullopt;
  std::optional<PackedDib> picture;
  if (data->hasFormat(QStringLiteral("image/bmp"))) {
    picture = RawDibOf(data->data(QStringLiteral("image/bmp")));
  }
  if (!picture && data->hasImage()) {
    picture = DibFromImage(qvariant_cast<QImage>(data->imageData()));
  }
  if (picture) clipboard->clear();
  return picture;
}

std::optional<Colour> Clipboard::TakeColourText() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  if (!data || !data->hasText()) return std::nullopt;
  const QByteArray text = data->text().toUtf8();
  const std::optional<Colour> colour =
      ParseColourText(std::string_view(text.constData(), static_cast<size_t>(text.size())));
  if (colour) clipboard->clear();
  return colour;
}

bool Clipboard::PutText(std::string_view text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard || Busy()) return false;
  const QString value = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  auto data = std::make_unique<QMimeData>();
  data->setText(value);
  clipboard->setMimeData(data.release());  // the clipboard owns it from here
  // Reading back tells whether the program really holds the clipboard now.
  return clipboard->text() == value;
}

void Clipboard::SetBusyForTest(bool busy) { Busy() = busy; }

}  // namespace quorel
