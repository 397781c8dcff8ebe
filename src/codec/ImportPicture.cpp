// Quorel — SPDX-License-Identifier: MIT
#include "codec/ImportPicture.h"

#include <cctype>
#include <string>

#include "codec/bmp/BmpFile.h"
#include "codec/gif/GifDecoder.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"

namespace quorel {

Result<PackedDib> ReadPictureFile(const std::filesystem::path& path) {
  // The last "." of the whole path counts, folder names included, whatever
  // the separator: "C:\my.pictures\scan" is judged by its "p".
  const std::string text = path.string();
  const auto dot = text.rfind('.');
  if (dot == std::string::npos || dot + 1 >= text.size()) return Status::kNoPictureExtension;
  switch (std::tolower(static_cast<unsigned char>(text[dot + 1]))) {
    case 'b': return ReadBmpFile(path);
    case 'g': return ReadGifFile(path);
    case 'j': return ReadJpegFile(path);
    case 'p': return ReadPngFile(path);
    default: return Status::kNoPictureExtension;
  }
}

}  // namespace quorel
