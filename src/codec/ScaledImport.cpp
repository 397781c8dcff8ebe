// Quorel — SPDX-License-Identifier: MIT
#include "codec/ScaledImport.h"

#include <cctype>
#include <string>

#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"

namespace quorel {

Result<void> ReadPictureFileRows(const std::filesystem::path& path, RowSink& sink) {
  // The same rule as ReadPictureFile: the first letter after the path's last ".".
  const std::string text = path.string();
  const auto dot = text.rfind('.');
  const char kind = dot == std::string::npos || dot + 1 >= text.size()
                        ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(text[dot + 1])));
  if (kind == 'j') return ReadJpegFileRows(path, sink);
  if (kind == 'p') return ReadPngFileRows(path, sink);
  return Status::kUnsupported;
}

}  // namespace quorel
