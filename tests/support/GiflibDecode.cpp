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
  const size_t left = input->bytes.size() - input->position;
  const size_t n = std::min(left, static_cast<size_t>(std::max(wanted, 0)));
  std::memcpy(out, input->bytes.data() + input->position, n);
  input->position += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int ignored = 0;
    DGifCloseFile(gif, &ignored);
  }
};

std::vector<GifRgb> Colours(const ColorMapObject* map) {
  std::vector<GifRgb> colours;
  if (!map) return colours;
  for (int i = 0; i < map->ColorCount; ++i) {
    const GifColorType& c = map->Colors[i];
    colours.push_back({c.Red, c.Green, c.Blue});
  }
  return colours;
}

void Fail(std::string* error, const std::string& what, int code) {
  if (error) *error = what + ": " + (GifErrorString(code) ? GifErrorString(code) : "unknown");
}

}  // namespace

std::optional<GiflibImage> DecodeWithGiflib(std::span<const uint8_t> bytes, std::string* error) {
  MemoryInput input{bytes};
  int code = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&input, ReadFromMemory, &code));
  if (!gif) {
    Fail(error, "DGifOpen", code);
    return std::nullopt;
  }
  if (DGifSlurp(gif.get()) != GIF_OK) {
    Fail(error, "DGifSlurp", gif->Error);
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
    const size_t count = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
    frame.indexes.assign(saved.RasterBits, saved.RasterBits + count);
    image.frames.push_back(std::move(frame));
  }
  collect_comments(gif->ExtensionBlocks, gif->ExtensionBlockCount);
  if (!image.frames.empty()) image.transparent_index = image.frames.front().transparent_index;
  return image;
}

}  // namespace quorel::test
