// Quorel — SPDX-License-Identifier: MIT
#include "codec/ScaledImport.h"

#include <cctype>
#include <string>

#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"

namespace quorel {

std::optional<Result<PackedDib>> ReadPictureFileScaled(const std::filesystem::path& path,
                                                       const RowScaler::ChooseSize& choose) {
  // The same rule as ReadPictureFile: the first letter after the path's last ".".
  const std::string text = path.string();
  const auto dot = text.rfind('.');
  const char kind = dot == std::string::npos || dot + 1 >= text.size()
                        ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(text[dot + 1])));
  if (kind != 'j' && kind != 'p') return std::nullopt;
  RowScaler scaler(choose);
  const Result<void> read = kind == 'j' ? ReadJpegFileRows(path, scaler) : ReadPngFileRows(path, scaler);
  if (scaler.Declined()) return std::nullopt;
  if (!read) return Result<PackedDib>(read.status());
  return scaler.Finish();
}

}  // namespace quorel
