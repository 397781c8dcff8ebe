// Quorel — SPDX-License-Identifier: MIT
// ReadPngFile: libpng decodes and expands; this file composites over white and
// lays the rows out bottom-up.
#include "codec/png/PngReader.h"

#include <png.h>

#include <cstring>
#include <optional>

#include "codec/FileBlock.h"
#include "image/DibLayout.h"

namespace quorel {
namespace {

// The file in memory, read by libpng through ReadPngData.
struct PngInput {
  const uint8_t* data;
  size_t size;
  size_t position;
};

void ReadPngData(png_structp png, png_bytep out, size_t length) {
  auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
  if (length > input->size - input->position) png_error(png, "file ends early");
  std::memcpy(out, input->data + input->position, length);
  input->position += length;
}

[[noreturn]] void PngErrorExit(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}  // warnings: reading goes on, silently

// The picture and, for pictures with transparency, the straight blue-green-red-
// alpha pixels that are composited into it: one row at a time, or the whole
// image when it is interlaced (later passes fill in earlier rows). Owned
// outside DecodePng.
struct PngTarget {
  std::optional<PackedDib> picture;
  std::optional<DibRows> rows;
  std::optional<ByteBuffer> with_alpha;
  bool whole_image_alpha = false;
};

Status MakeTarget(int64_t width, int64_t height, bool has_alpha, bool interlaced, PngTarget* target) {
  if (width * height > kMaxPixels) return Status::kTooLarge;
  auto made = CreateDib(static_cast<int32_t>(width), static_cast<int32_t>(height), 24, 0,
                        PixelFill::kNone);  // every row is decoded into
  if (!made) return made.status();
  target->picture = std::move(made).value();
  target->rows = DibRows::Of(*target->picture).value();
  if (has_alpha) {
    target->whole_image_alpha = interlaced;
    const uint64_t bytes = 4 * static_cast<uint64_t>(width) * static_cast<uint64_t>(interlaced ? height : 1);
    if (bytes > kMaxBlockBytes) return Status::kTooLarge;
    target->with_alpha = AllocateZeroed(bytes);
    if (!target->with_alpha) return Status::kOutOfMemory;
  }
  return Status::kOk;
}

// Where libpng writes image row y: straight into the bottom-up picture, or into
// the top-down alpha buffer.
png_bytep RowFor(PngTarget& target, uint32_t width, uint32_t height, uint32_t y) {
  if (target.with_alpha) {
    return target.with_alpha->data() + size_t{4} * width * (target.whole_image_alpha ? y : 0);
  }
  (void)height;
  return target.rows->TopDownRow(static_cast<int32_t>(y)).data();
}

// Image row y over white: what a signature scanned onto a transparent
// background needs.
void CompositeOverWhite(PngTarget& target, uint32_t width, uint32_t height, uint32_t y) {
  const uint8_t* in = RowFor(target, width, height, y);
  uint8_t* out = target.rows->TopDownRow(static_cast<int32_t>(y)).data();
  for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
    const unsigned alpha = in[3];
    for (int c = 0; c < 3; ++c) {
      out[c] = static_cast<uint8_t>((in[c] * alpha + 255 * (255 - alpha) + 127) / 255);
    }
  }
}

// The one function that libpng's error exit jumps back to: its locals have
// trivial destructors, and every path releases libpng's structures.
Status DecodePng(const uint8_t* data, size_t size, PngTarget* target) {
  PngInput input{data, size, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngErrorExit, PngWarning);
  if (png == nullptr) return Status::kOutOfMemory;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return Status::kOutOfMemory;
  }
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_read_struct(&png, &info, nullptr);
    return Status::kPngLibrary;
  }
  png_set_read_fn(png, &input, ReadPngData);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  // Fuzzing only: a mutated chunk keeps its stale CRC, which would stop
  // nearly every input at the first chunk.
  png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
  png_read_info(png, info);
  const uint32_t width = png_get_image_width(png, info);
  const uint32_t height = png_get_image_height(png, info);
  const int colour_type = png_get_color_type(png, info);
  const bool has_alpha =
      (colour_type & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;

  png_set_expand(png);     // palette to colour, grey below 8 bits to 8, tRNS to alpha
  png_set_scale_16(png);   // 16-bit samples to 8, rounded
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);

  Status status = MakeTarget(width, height, has_alpha, passes > 1, target);
  if (status == Status::kOk && png_get_rowbytes(png, info) != size_t{has_alpha ? 4u : 3u} * width) {
    status = Status::kPngLibrary;  // a combination the transforms above did not flatten
  }
  if (status == Status::kOk) {
    for (int pass = 0; pass < passes; ++pass) {
      for (uint32_t y = 0; y < height; ++y) {
        png_read_row(png, RowFor(*target, width, height, y), nullptr);
        if (has_alpha && !target->whole_image_alpha) CompositeOverWhite(*target, width, height, y);
      }
    }
    if (has_alpha && target->whole_image_alpha) {
      for (uint32_t y = 0; y < height; ++y) CompositeOverWhite(*target, width, height, y);
    }
    png_read_end(png, nullptr);
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return status;
}

Result<PackedDib> ReadPng(std::span<const uint8_t> bytes) {
  PngTarget target;
  const Status status = DecodePng(bytes.data(), bytes.size(), &target);
  if (status != Status::kOk) return status;
  return std::move(*target.picture);
}

}  // namespace

Result<PackedDib> ReadPngFile(const std::filesystem::path& path) {
  auto file = LoadFileBlock(path);
  if (!file) return Status::kCannotOpen;
  return ReadPng(file->Data());
}

Result<PackedDib> ReadPngBytes(std::span<const uint8_t> bytes) { return ReadPng(bytes); }

}  // namespace quorel
