// Quorel — SPDX-License-Identifier: MIT
#include "codec/png/PngWriter.h"

#include <png.h>

#include <array>
#include <new>

#include "image/DibLayout.h"

namespace quorel {
namespace {

constexpr int kStepWidth = 17;  // 255 / 15: the 16 alpha steps of kIndexedSteps

// Everything the libpng call needs, prepared beforehand so that the function
// holding setjmp has only trivially destructible locals.
struct PngJob {
  uint32_t width = 0;
  uint32_t height = 0;
  int bit_depth = 8;
  int colour_type = PNG_COLOR_TYPE_PALETTE;
  int filters = PNG_FILTER_NONE;
  std::array<png_color, 256> palette{};
  std::array<png_byte, 256> alpha{};
  int palette_size = 0;
  int alpha_size = 0;                  // tRNS entries; trailing opaque ones left out
  std::vector<png_bytep> rows;         // top-down
  std::vector<uint8_t>* out = nullptr;
  bool out_of_memory = false;
};

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
  try {
    job->out->insert(job->out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    job->out_of_memory = true;
  }
  // Outside the catch block: png_error leaves by longjmp.
  if (job->out_of_memory) png_error(png, "out of memory");
}

void NoFlush(png_structp) {}

bool RunLibpng(PngJob& job) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &job, AppendBytes, NoFlush);
  png_set_compression_level(png, 9);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, job.filters);
  png_set_IHDR(png, info, job.width, job.height, job.bit_depth, job.colour_type, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  if (job.colour_type == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(png, info, job.palette.data(), job.palette_size);
    if (job.alpha_size > 0) png_set_tRNS(png, info, job.alpha.data(), job.alpha_size, nullptr);
  }
  png_write_info(png, info);
  png_write_image(png, job.rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// The palette layouts: entry i has alpha `alpha_of[i]`; `index_of[a]` is the
// entry for coverage a.
void SetPalette(PngJob& job, Colour ink, std::span<const uint8_t> alpha_of) {
  job.palette_size = static_cast<int>(alpha_of.size());
  for (size_t i = 0; i < alpha_of.size(); ++i) {
    job.palette[i] = {RedOf(ink), GreenOf(ink), BlueOf(ink)};
    job.alpha[i] = alpha_of[i];
    if (alpha_of[i] != 255) job.alpha_size = static_cast<int>(i) + 1;
  }
}

}  // namespace

Result<std::vector<uint8_t>> EncodeCoveragePng(const PackedDib& coverage, Colour ink, PngLayout layout) {
  if (coverage.BitCount() != 8) return Status::kUnsupported;
  const bool grey_ink = RedOf(ink) == GreenOf(ink) && GreenOf(ink) == BlueOf(ink);
  if (layout == PngLayout::kGreyAlpha && !grey_ink) return Status::kUnsupported;
  const ConstDibRows in = QUOREL_TRY(ConstDibRows::Of(coverage));
  PngJob job;
  job.width = static_cast<uint32_t>(in.width());
  job.height = static_cast<uint32_t>(in.height());

  // The entry of each coverage level in a palette layout.
  std::array<uint8_t, 256> index_of{};
  int channels = 1;
  if (layout == PngLayout::kIndexedSteps) {
    job.bit_depth = 4;
    std::array<uint8_t, 16> steps{};
    for (int i = 0; i < 16; ++i) steps[i] = static_cast<uint8_t>(i * kStepWidth);
    for (int a = 0; a < 256; ++a) index_of[a] = static_cast<uint8_t>((a + kStepWidth / 2) / kStepWidth);
    SetPalette(job, ink, steps);
  } else if (layout == PngLayout::kIndexedFull) {
    std::array<bool, 256> used{};
    for (int32_t y = 0; y < in.height(); ++y) {
      for (const uint8_t a : in.StoredRow(y).first(static_cast<size_t>(in.width()))) used[a] = true;
    }
    std::vector<uint8_t> levels;  // ascending, so opaque ink comes last and needs no tRNS entry
    for (int a = 0; a < 256; ++a) {
      if (!used[a]) continue;
      index_of[a] = static_cast<uint8_t>(levels.size());
      levels.push_back(static_cast<uint8_t>(a));
    }
    SetPalette(job, ink, levels);
  } else {
    job.colour_type = layout == PngLayout::kGreyAlpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_RGBA;
    channels = layout == PngLayout::kGreyAlpha ? 2 : 4;
    job.filters = PNG_ALL_FILTERS;
  }

  // Packed rows, top-down.
  const size_t row_bytes = job.bit_depth == 4 ? (job.width + 1) / 2 : size_t{job.width} * channels;
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> file;
  try {
    pixels.assign(row_bytes * job.height, 0);
    job.rows.resize(job.height);
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
  for (int32_t y = 0; y < in.height(); ++y) {
    const auto source = in.TopDownRow(y);
    uint8_t* row = &pixels[row_bytes * static_cast<size_t>(y)];
    job.rows[static_cast<size_t>(y)] = row;
    for (int32_t x = 0; x < in.width(); ++x) {
      const uint8_t a = source[x];
      if (layout == PngLayout::kIndexedSteps) {
        row[x / 2] |= static_cast<uint8_t>(index_of[a] << ((x & 1) ? 0 : 4));  // high nibble left
      } else if (layout == PngLayout::kIndexedFull) {
        row[x] = index_of[a];
      } else if (layout == PngLayout::kGreyAlpha) {
        row[2 * x] = RedOf(ink);
        row[2 * x + 1] = a;
      } else {
        row[4 * x] = RedOf(ink);
        row[4 * x + 1] = GreenOf(ink);
        row[4 * x + 2] = BlueOf(ink);
        row[4 * x + 3] = a;
      }
    }
  }
  job.out = &file;
  if (!RunLibpng(job)) return job.out_of_memory ? Status::kOutOfMemory : Status::kPngLibrary;
  return file;
}

Result<std::vector<uint8_t>> EncodeRgbaPng(int32_t width, int32_t height, std::span<const uint8_t> rgba) {
  if (width < 1 || height < 1 || rgba.size() != size_t{4} * static_cast<uint32_t>(width) * static_cast<uint32_t>(height)) {
    return Status::kBadInput;
  }
  PngJob job;
  job.width = static_cast<uint32_t>(width);
  job.height = static_cast<uint32_t>(height);
  job.colour_type = PNG_COLOR_TYPE_RGBA;
  job.filters = PNG_ALL_FILTERS;
  std::vector<uint8_t> file;
  try {
    job.rows.resize(job.height);
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  }
  // libpng only reads the rows it is given.
  auto* pixels = const_cast<uint8_t*>(rgba.data());
  for (uint32_t y = 0; y < job.height; ++y) job.rows[y] = pixels + size_t{4} * job.width * y;
  job.out = &file;
  if (!RunLibpng(job)) return job.out_of_memory ? Status::kOutOfMemory : Status::kPngLibrary;
  return file;
}

}  // namespace quorel
