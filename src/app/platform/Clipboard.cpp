// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/Clipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include "image/DibLayout.h"
#include "output/ColourText.h"

namespace quorel {
namespace {

constexpr qsizetype kBmpFileHeaderSize = 14;
constexpr qsizetype kAlphaMaskOffset = kBmpFileHeaderSize + 52;  // in a V3 or later info header

bool& Busy() {
  static bool busy = false;
  return busy;
}

uint32_t ReadU32(const QByteArray& bytes, qsizetype at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// A 32-bit DIB whose header names an alpha mask; Qt's reader applies it.
bool HasAlphaMask(const QByteArray& bmp) {
  if (bmp.size() < kAlphaMaskOffset + 4) return false;
  const uint32_t header_size = ReadU32(bmp, kBmpFileHeaderSize);
  return header_size >= 56 && ReadU32(bmp, kAlphaMaskOffset) != 0;
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
  QImage rgb(image.size(), QImage::Format_RGB32);
  rgb.fill(Qt::white);
  {
    QPainter painter(&rgb);
    painter.drawImage(0, 0, image);
  }
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

std::optional<QString> PictureFileOf(const QMimeData& data) {
  if (!data.hasUrls()) return std::nullopt;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    const QFileInfo file(url.toLocalFile());
    const QString suffix = file.suffix().toLower();
    for (const char* known : kPictureSuffixes) {
      if (suffix == QLatin1String(known) && file.isFile()) return file.absoluteFilePath();
    }
  }
  return std::nullopt;
}

std::optional<PackedDib> PictureOf(const QMimeData& data) {
  const QString bmp_type = QStringLiteral("image/bmp");
  if (data.hasFormat(bmp_type)) {
    const QByteArray bmp = data.data(bmp_type);
    if (!HasAlphaMask(bmp)) {
      if (auto raw = RawDibOf(bmp)) return raw;
    }
  }
  if (data.hasImage()) {
    if (auto picture = DibFromImage(qvariant_cast<QImage>(data.imageData()))) return picture;
  }
  // Another program's drop, or a clipboard Qt does not convert: the picture
  // types Qt reads itself.
  for (const QString& format : data.formats()) {
    if (!format.startsWith(QStringLiteral("image/"))) continue;
    if (auto picture = DibFromImage(QImage::fromData(data.data(format)))) return picture;
  }
  return std::nullopt;
}

bool OffersPicture(const QMimeData& data) {
  if (PictureFileOf(data)) return true;
  if (data.hasImage()) return true;
  for (const QString& format : data.formats()) {
    if (format.startsWith(QStringLiteral("image/"))) return true;
  }
  return false;
}

const QMimeData* Clipboard::Content() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard ? clipboard->mimeData() : nullptr;
}

void Clipboard::Clear() {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->clear();
}

std::optional<Colour> Clipboard::TakeColourText() {
  const QMimeData* data = Content();
  if (!data || !data->hasText()) return std::nullopt;
  const QByteArray text = data->text().toUtf8();
  const std::optional<Colour> colour =
      ParseColourText(std::string_view(text.constData(), static_cast<size_t>(text.size())));
  if (colour) Clear();
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

bool Clipboard::PutPicture(std::span<const uint8_t> png, std::string_view html) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard || Busy()) return false;
  const QByteArray bytes(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size()));
  auto data = std::make_unique<QMimeData>();
  // The PNG's own bytes, not a QImage: its transparency and size stay exact.
  data->setData(QStringLiteral("image/png"), bytes);
  data->setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
  clipboard->setMimeData(data.release());
  const QMimeData* now = clipboard->mimeData();
  return now && now->data(QStringLiteral("image/png")) == bytes;
}

void Clipboard::SetBusyForTest(bool busy) { Busy() = busy; }

}  // namespace quorel
