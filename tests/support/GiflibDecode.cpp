// Quorel — SPDX-License-Identifier: MIT
#include "support/GiflibDecode.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace quorel::test {
namespace {

struct MemoryInput {
  std::span<const uint8_t> bytes;
  size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int wanted) {
  auto* input = static_cast<MemoryInput*>(gif->UserData);
  const size_t n = std::min(input->bytes.size() - input->position, static_cast<size_t>(std::max(wanted, 0)));
  std::memcpy(out, input->bytes.data() + input->position, n);
  input->position += n;
  return static_cast<int>(n);
}

std::vector<GifRgb> Colours(const ColorMapObject* map) {
  std::vector<GifRgb> colours;
  for (int i = 0; map && i < map->ColorCount; ++i) {
    colours.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
  }
  return colours;
}

}  // namespace

std::optional<GiflibImage> DecodeWithGiflib(std::span<const uint8_t> bytes, std::string* error) {
  MemoryInput input{bytes};
  int code = 0;
  const auto close = [](GifFileType* gif) { DGifCloseFile(gif, nullptr); };
  std::unique_ptr<GifFileType, decltype(close)> gif(DGifOpen(&input, ReadFromMemory, &code), close);
  if (gif && DGifSlurp(gif.get()) != GIF_OK) code = gif->Error;
  if (!gif || code != 0) {
    const char* text = GifErrorString(code);
    if (error) *error = std::string(gif ? "DGifSlurp: " : "DGifOpen: ") + (text ? text : "unknown");
    return std::nullopt;
  }
  GiflibImage image;
  image.width = gif->SWidth;
  image.height = gif->SHeight;
  image.colours = Colours(gif->SColorMap);
  auto collect_comments = [&image](const ExtensionBlock* blocks, int count) {
    for (int i = 0; i < count; ++i) {
      if (blocks[i].Function != COMMENT_EXT_FUNC_CODE) continue;
      image.comments.emplace_back(reinterpret_cast<const char*>(blocks[i].Bytes),
                                  static_cast<size_t>(blocks[i].ByteCount));
    }
  };
  for (int f = 0; f < gif->ImageCount; ++f) {
    const SavedImage& saved = gif->SavedImages[f];
    collect_comments(saved.ExtensionBlocks, saved.ExtensionBlockCount);
    GiflibFrame frame;
    frame.width = saved.ImageDesc.Width;
    frame.height = saved.ImageDesc.Height;
    frame.local_colours = Colours(saved.ImageDesc.ColorMap);
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif.get(), f, &gcb) == GIF_OK) {
      frame.transparent_index = gcb.TransparentColor;
      frame.delay = gcb.DelayTime;
      frame.disposal = gcb.DisposalMode;
    }
    frame.indexes.assign(saved.RasterBits, saved.RasterBits + static_cast<size_t>(frame.width) * frame.height);
    image.frames.push_back(std::move(frame));
  }
  collect_comments(gif->ExtensionBlocks, gif->ExtensionBlockCount);
  if (!image.frames.empty()) image.transparent_index = image.frames.front().transparent_index;
  return image;
}

}  // namespace quorel::test
