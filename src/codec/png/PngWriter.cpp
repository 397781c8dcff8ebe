// Quorel — SPDX-License-Identifier: MIT
#include "codec/png/PngWriter.h"

#include <png.h>

#include <algorithm>
#include <array>

#include "image/DibLayout.h"

namespace quorel {
namespace {

constexpr int kStepWidth = 17;  // 255 / 15: the 16 alpha steps

// Everything the libpng call needs, prepared beforehand so that the function
// holding setjmp has only trivially destructible locals.
struct PngJob {
  uint32_t width = 0;
  uint32_t height = 0;
  int bit_depth = 4;
  int colour_type = PNG_COLOR_TYPE_PALETTE;
  int filters = PNG_FILTER_NONE;  // coverage compresses best unfiltered; RGBA pictures filtered
  std::array<png_color, 16> palette{};
  std::array<png_byte, 16> alpha{};
  int alpha_size = 0;                  // tRNS entries; trailing opaque ones left out
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

// Top-down row y's coverage in 16 steps, two pixels a byte, high nibble left.
png_bytep PackCoverageRow(PngJob& job, uint32_t y) {
  std::span<uint8_t> alpha(job.alpha_row);
  (*job.coverage)(static_cast<int32_t>(y), alpha);
  for (uint32_t x = 0; x < job.width; ++x) {
    const auto step = static_cast<uint8_t>((alpha[x] + kStepWidth / 2) / kStepWidth);
    // Packs in place: byte x / 2 is written after pixel x is read.
    alpha[x / 2] = (x & 1) ? static_cast<uint8_t>(alpha[x / 2] | step) : static_cast<uint8_t>(step << 4);
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
  png_set_filter(png, PNG_FILTER_TYPE_BASE, job.filters);
  png_set_IHDR(png, info, job.width, job.height, job.bit_depth, job.colour_type, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  if (job.colour_type == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(png, info, job.palette.data(), static_cast<int>(job.palette.size()));
    png_set_tRNS(png, info, job.alpha.data(), job.alpha_size, nullptr);
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

// Sixteen entries, all the ink: entry i has alpha i × kStepWidth, so only
// the last, opaque one is left out of the tRNS table.
void SetPalette(PngJob& job, Colour ink) {
  for (size_t i = 0; i < job.palette.size(); ++i) {
    job.palette[i] = {RedOf(ink), GreenOf(ink), BlueOf(ink)};
    job.alpha[i] = static_cast<png_byte>(i * kStepWidth);
  }
  job.alpha_size = static_cast<int>(job.palette.size()) - 1;
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
  SetPalette(job, ink);
  job.coverage = &rows;
  QUOREL_TRY(job.alpha_row.Resize(job.width));
  ByteBuffer file;
  job.out = &file;
  if (!RunLibpng(job)) return job.out_of_memory ? Status::kOutOfMemory : Status::kPngLibrary;
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
