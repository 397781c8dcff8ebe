// Quorel — SPDX-License-Identifier: MIT
#include "codec/png/PngWriter.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>

#include "image/DibLayout.h"

namespace quorel {
namespace {

constexpr int kStepWidth = 17;  // 255 / 15: the 16 alpha steps
constexpr int kSteps = 16;
// NOTE: up to this many pixels (the snippet's pictures, 2× included, are far
// below) the coverage is read three times: once to find the steps it uses,
// then written with each of two filters and the smaller file kept. Larger
// pictures are written once, with all sixteen steps and no filter, so that
// their cost stays that of one pass.
constexpr uint64_t kSearchedPixels = uint64_t{2} << 20;

// Everything the libpng call needs, prepared beforehand so that the function
// holding setjmp has only trivially destructible locals.
struct PngJob {
  uint32_t width = 0;
  uint32_t height = 0;
  int bit_depth = 4;
  int colour_type = PNG_COLOR_TYPE_PALETTE;
  int filters = PNG_FILTER_NONE;  // for coverage, the smaller of none and up; RGBA pictures filtered
  std::array<png_color, kSteps> palette{};
  std::array<png_byte, kSteps> alpha{};
  int palette_size = 0;
  int alpha_size = 0;                  // tRNS entries; trailing opaque ones left out
  std::array<uint8_t, kSteps> index_of_step{};  // each coverage step's palette entry
  Buffer<png_bytep> rows;              // top-down; or, when empty, each row made by `coverage`
  const CoverageRowSource* coverage = nullptr;
  ByteBuffer alpha_row;                // one row of coverage, then of packed steps
  ByteBuffer* out = nullptr;
  bool out_of_memory = false;
};

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
  job->out_of_memory = !job->out->Append(std::span<const uint8_t>(data, length));
  // png_error leaves by longjmp.
  if (job->out_of_memory) png_error(png, "out of memory");
}

void NoFlush(png_structp) {}

// libpng's own handlers print English lines to stderr; the outcome is ours to report.
void SilentWarning(png_structp, png_const_charp) {}
[[noreturn]] void SilentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

uint8_t StepOf(uint8_t alpha) { return static_cast<uint8_t>((alpha + kStepWidth / 2) / kStepWidth); }

// Top-down row y's coverage as palette entries, packed at the job's depth,
// leftmost pixel in the high bits.
png_bytep PackCoverageRow(PngJob& job, uint32_t y) {
  std::span<uint8_t> alpha(job.alpha_row);
  (*job.coverage)(static_cast<int32_t>(y), alpha);
  const auto depth = static_cast<uint32_t>(job.bit_depth);
  for (uint32_t x = 0; x < job.width; ++x) {
    const uint32_t bit = x * depth;
    const auto entry = static_cast<uint8_t>(job.index_of_step[StepOf(alpha[x])] << (8 - depth - bit % 8));
    // Packs in place: byte bit / 8 is written after pixel x is read.
    alpha[bit / 8] = bit % 8 == 0 ? entry : static_cast<uint8_t>(alpha[bit / 8] | entry);
  }
  return alpha.data();
}

bool RunLibpng(PngJob& job) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
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
  if (job.coverage != nullptr) {
    png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);  // libpng's choice for filtered rows is larger here
  }
  png_set_filter(png, PNG_FILTER_TYPE_BASE, job.filters);
  png_set_IHDR(png, info, job.width, job.height, job.bit_depth, job.colour_type, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  if (job.colour_type == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(png, info, job.palette.data(), job.palette_size);
    if (job.alpha_size > 0) png_set_tRNS(png, info, job.alpha.data(), job.alpha_size, nullptr);
  }
  png_write_info(png, info);
  if (job.rows.empty()) {
    for (uint32_t y = 0; y < job.height; ++y) png_write_row(png, PackCoverageRow(job, y));
  } else {
    png_write_image(png, job.rows.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// The steps that the coverage uses, bit i for step i.
uint32_t UsedSteps(PngJob& job) {
  uint32_t used = 0;
  std::span<uint8_t> alpha(job.alpha_row);
  for (uint32_t y = 0; y < job.height; ++y) {
    (*job.coverage)(static_cast<int32_t>(y), alpha);
    for (const uint8_t a : alpha) used |= 1u << StepOf(a);
  }
  return used;
}

// One entry for each step in `used`, all the ink, in step order (so the opaque
// one, if used, is last and left out of the tRNS table), at the smallest depth
// that holds them. NOTE: measured on the snippet's pictures at height 48
// (1× and 2×), this cut is 1.5 % of the bytes, up to 73 % on a picture of few
// steps.
void SetPalette(PngJob& job, Colour ink, uint32_t used) {
  int entries = 0;
  for (int step = 0; step < kSteps; ++step) {
    if ((used & (1u << step)) == 0) continue;
    job.index_of_step[static_cast<size_t>(step)] = static_cast<uint8_t>(entries);
    job.palette[static_cast<size_t>(entries)] = {RedOf(ink), GreenOf(ink), BlueOf(ink)};
    job.alpha[static_cast<size_t>(entries)] = static_cast<png_byte>(step * kStepWidth);
    ++entries;
  }
  job.palette_size = entries;
  job.alpha_size = (used & (1u << (kSteps - 1))) != 0 ? entries - 1 : entries;
  job.bit_depth = entries <= 2 ? 1 : entries <= 4 ? 2 : 4;
}

}  // namespace

Result<ByteBuffer> EncodeCoveragePng(const PackedDib& coverage, Colour ink) {
  if (coverage.BitCount() != 8) return Status::kUnsupported;
  const ConstDibRows in = QUOREL_TRY(ConstDibRows::Of(coverage));
  const CoverageRowSource rows = [&in](int32_t y, std::span<uint8_t> alpha) {
    const auto source = in.TopDownRow(y);
    std::copy_n(source.begin(), alpha.size(), alpha.begin());
  };
  return EncodeCoveragePng(in.width(), in.height(), ink, rows);
}

Result<ByteBuffer> EncodeCoveragePng(int32_t width, int32_t height, Colour ink,
                                     const CoverageRowSource& rows) {
  if (width < 1 || height < 1) return Status::kBadInput;
  PngJob job;
  job.width = static_cast<uint32_t>(width);
  job.height = static_cast<uint32_t>(height);
  job.coverage = &rows;
  QUOREL_TRY(job.alpha_row.Resize(job.width));
  const bool searched = uint64_t{job.width} * job.height <= kSearchedPixels;
  SetPalette(job, ink, searched ? UsedSteps(job) : (1u << kSteps) - 1);
  ByteBuffer file;
  job.out = &file;
  if (!RunLibpng(job)) return job.out_of_memory ? Status::kOutOfMemory : Status::kPngLibrary;
  if (!searched) return file;
  // NOTE: the up filter gives the smaller file on about half the pictures
  // (strokes that run down the picture); over the snippet's pictures the
  // smaller of the two is 4 % below unfiltered alone.
  ByteBuffer filtered;
  job.out = &filtered;
  job.filters = PNG_FILTER_UP;
  if (!RunLibpng(job)) return job.out_of_memory ? Status::kOutOfMemory : Status::kPngLibrary;
  if (filtered.size() < file.size()) return filtered;
  return file;
}

Result<ByteBuffer> EncodeRgbaPng(int32_t width, int32_t height, std::span<const uint8_t> rgba) {
  if (width < 1 || height < 1 || rgba.size() != size_t{4} * static_cast<uint32_t>(width) * static_cast<uint32_t>(height)) {
    return Status::kBadInput;
  }
  PngJob job;
  job.width = static_cast<uint32_t>(width);
  job.height = static_cast<uint32_t>(height);
  job.bit_depth = 8;
  job.colour_type = PNG_COLOR_TYPE_RGBA;
  job.filters = PNG_ALL_FILTERS;
  ByteBuffer file;
  QUOREL_TRY(job.rows.Resize(job.height));
  // libpng only reads the rows it is given.
  auto* pixels = const_cast<uint8_t*>(rgba.data());
  for (uint32_t y = 0; y < job.height; ++y) job.rows[y] = pixels + size_t{4} * job.width * y;
  job.out = &file;
  if (!RunLibpng(job)) return job.out_of_memory ? Status::kOutOfMemory : Status::kPngLibrary;
  return file;
}

}  // namespace quorel
