// Quorel — SPDX-License-Identifier: MIT
// ReadPngFile: libpng decodes and expands; this file composites over white and
// lays the rows out bottom-up.
#include "codec/png/PngReader.h"

#include <png.h>

#include <array>

#include "codec/ChunkedInput.h"
#include "codec/ReadFromFile.h"
#include "common/ByteBuffer.h"
#include "image/DibLayout.h"
#include "image/OverWhite.h"
#include "image/RowSink.h"

namespace quorel {
namespace {

// The file, read by libpng through ReadPngData a piece at a time.
void ReadPngData(png_structp png, png_bytep out, size_t length) {
  auto* input = static_cast<ChunkedInput*>(png_get_io_ptr(png));
  if (!input->Read({out, length})) png_error(png, "file ends early");
}

[[noreturn]] void PngErrorExit(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}  // warnings: reading goes on, silently

// NOTE: limits on libpng itself, so that a small file cannot make it allocate
// or inflate more than a picture within our caps needs. No chunk we read
// (IHDR, PLTE, tRNS) comes near 16 MiB; longer ancillary chunks are refused by
// their length, before anything is read. A row at most 2^23 pixels wide keeps
// libpng's two row buffers (8 bytes a pixel at 16-bit colour with alpha)
// within 128 MiB.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t{16} << 20;
constexpr png_uint_32 kMaxCachedChunks = 32;
constexpr uint32_t kMaxPngWidth = uint32_t{1} << 23;

// Where the rows go, and the row that libpng decodes into when the row cannot
// go straight there: pixels with transparency (composited over white) and
// interlaced passes (each a sparse subset of the image, scattered). NOTE: no
// whole-image buffer besides the picture, however the file is coded. Owned
// outside DecodePng; `complete` is set once every row has been decoded, so
// that a file missing only its end keeps its picture.
struct PngTarget {
  RowSink* sink = nullptr;
  ByteBuffer row;
  bool complete = false;
};

Status MakeTarget(int32_t width, int32_t height, size_t pixel_bytes, bool interlaced, bool buffered,
                  PngTarget* target) {
  const auto begun = target->sink->Begin(width, height, interlaced ? RowOrder::kAnyOrder : RowOrder::kTopDown);
  if (!begun) return begun.status();
  if (buffered) return target->row.Resize(pixel_bytes * static_cast<size_t>(width)).status();
  return Status::kOk;
}

// Where one pass of Adam7 (or the whole image, pass 0 of 1) puts its pixels:
// row y, column x of the pass land on image row y0 + y·dy, column x0 + x·dx.
struct PassGrid {
  uint32_t x0 = 0, y0 = 0, dx = 1, dy = 1;
  uint32_t columns = 0, rows = 0;
};

// Adam7: where each of the seven passes starts and how far apart its pixels lie.
constexpr std::array<uint32_t, 7> kPassX0{0, 4, 0, 2, 0, 1, 0}, kPassY0{0, 0, 4, 0, 2, 0, 1};
constexpr std::array<uint32_t, 7> kPassDx{8, 8, 4, 4, 2, 2, 1}, kPassDy{8, 8, 8, 4, 4, 2, 2};

PassGrid GridOf(uint32_t width, uint32_t height, bool interlaced, int pass) {
  if (!interlaced) return {0, 0, 1, 1, width, height};
  const uint32_t x0 = kPassX0[pass], y0 = kPassY0[pass], dx = kPassDx[pass], dy = kPassDy[pass];
  // Widths up to 2^23 and heights up to 2^28: no sum below overflows.
  return {x0, y0, dx, dy, width > x0 ? (width - x0 + dx - 1) / dx : 0,
          height > y0 ? (height - y0 + dy - 1) / dy : 0};
}

// One decoded row of a pass into the picture; pixels with alpha go over white,
// what a signature scanned onto a transparent background needs.
void PutRow(PngTarget& target, const PassGrid& grid, uint32_t y, size_t pixel_bytes) {
  const uint8_t* in = target.row.data();
  uint8_t* out = target.sink->Row(static_cast<int32_t>(grid.y0 + y * grid.dy)).data() + size_t{3} * grid.x0;
  const size_t step = size_t{3} * grid.dx;
  for (uint32_t x = 0; x < grid.columns; ++x, in += pixel_bytes, out += step) {
    const unsigned alpha = pixel_bytes == 4 ? in[3] : 255;
    if (alpha == 255) {
      out[0] = in[0], out[1] = in[1], out[2] = in[2];
    } else if (alpha == 0) {
      out[0] = out[1] = out[2] = 255;
    } else {
      for (int c = 0; c < 3; ++c) out[c] = OverWhite(in[c], alpha);
    }
  }
}

// Every row of every pass, each through the row buffer when `pixel_bytes` is
// set, else straight into the sink. NOTE: out of DecodePng, whose setjmp
// keeps the optimiser from keeping the pass walk right (GCC 12 at -O2 read
// the pass table as zeros there); libpng's error exit passes through this
// frame, whose locals are trivially destructible.
void ReadRows(png_structp png, uint32_t width, uint32_t height, bool interlaced, size_t pixel_bytes,
              PngTarget& target) {
  for (int pass = 0; pass < (interlaced ? 7 : 1); ++pass) {
    const PassGrid grid = GridOf(width, height, interlaced, pass);
    if (grid.columns == 0 || grid.rows == 0) continue;  // libpng skips empty passes too
    for (uint32_t y = 0; y < grid.rows; ++y) {
      if (pixel_bytes == 0) {
        png_read_row(png, target.sink->Row(static_cast<int32_t>(y)).data(), nullptr);
        continue;
      }
      png_read_row(png, target.row.data(), nullptr);
      PutRow(target, grid, y, pixel_bytes);
    }
  }
}

// The width and height in the header chunk, read before libpng starts so that
// a picture beyond our caps is refused before anything is allocated.
Result<void> CheckDeclaredSize(RandomAccessInput& file) {
  std::array<uint8_t, 24> bytes{};
  if (file.Size() < bytes.size()) return {};  // too short: libpng's to refuse
  QUOREL_TRY(file.ReadAt(0, bytes));
  auto at = [&](size_t i) {
    return uint64_t{bytes[i]} << 24 | uint64_t{bytes[i + 1]} << 16 | uint64_t{bytes[i + 2]} << 8 | bytes[i + 3];
  };
  const uint64_t width = at(16);   // behind the signature, the chunk's length and "IHDR"
  const uint64_t height = at(20);
  const bool too_large = width > kMaxPngWidth || width * height > static_cast<uint64_t>(kMaxDecodedPixels);
  return too_large ? Status::kTooLarge : Status::kOk;
}

// The one function that libpng's error exit jumps back to: its locals have
// trivial destructors, and every path releases libpng's structures.
Status DecodePng(ChunkedInput& input, PngTarget* target) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngErrorExit, PngWarning);
  if (png == nullptr) return Status::kOutOfMemory;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return Status::kOutOfMemory;
  }
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_read_struct(&png, &info, nullptr);
    // Every row is there: a damaged or missing end after the image data is
    // no reason to lose the picture (the GIF and JPEG readers keep theirs).
    if (target->complete) return Status::kOk;
    return input.status() != Status::kOk ? input.status() : Status::kPngLibrary;  // a failed read says why
  }
  png_set_read_fn(png, &input, ReadPngData);
  png_set_user_limits(png, kMaxPngWidth, static_cast<png_uint_32>(kMaxPixels));
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_set_chunk_cache_max(png, kMaxCachedChunks);
  // Every ancillary chunk is skipped unread: text, profiles and the like
  // change nothing in the pixels we make.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
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
  const bool interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
  const size_t pixel_bytes = has_alpha ? 4 : 3;

  png_set_expand(png);     // palette to colour, grey below 8 bits to 8, tRNS to alpha
  png_set_scale_16(png);   // 16-bit samples to 8, rounded
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  // NOTE: no png_set_interlace_handling: libpng hands out each pass as its own
  // small image, and PutRow scatters it.
  png_read_update_info(png, info);

  Status status = Status::kOk;
  if (uint64_t{width} * height > static_cast<uint64_t>(kMaxDecodedPixels)) status = Status::kTooLarge;
  if (status == Status::kOk && png_get_rowbytes(png, info) != pixel_bytes * width) {
    status = Status::kPngLibrary;  // a combination the transforms above did not flatten
  }
  const bool buffered = has_alpha || interlaced;
  if (status == Status::kOk) {
    status = MakeTarget(static_cast<int32_t>(width), static_cast<int32_t>(height), pixel_bytes, interlaced,
                        buffered, target);
  }
  if (status == Status::kOk) {
    ReadRows(png, width, height, interlaced, buffered ? pixel_bytes : 0, *target);
    target->complete = true;
    png_read_end(png, nullptr);
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return status;
}

// What the first bytes tell: a file with a PNG's length of them but not its
// signature is refused as libpng would refuse it.
Result<void> CheckPngHead(std::span<const uint8_t> head) {
  constexpr size_t kSignatureSize = 8;
  const bool refused = head.size() >= kSignatureSize && png_sig_cmp(head.data(), 0, kSignatureSize) != 0;
  return refused ? Status::kPngLibrary : Status::kOk;
}

// NOTE: a picture whose rows are all there is complete whatever follows them;
// one that loses rows is refused (kPngLibrary), so a PNG is never partial.
Result<DecodedRows> ReadPngRows(RandomAccessInput& file, RowSink& sink) {
  QUOREL_TRY(CheckFileHead(file, CheckPngHead));
  QUOREL_TRY(CheckDeclaredSize(file));
  ChunkedInput input(file);
  PngTarget target;
  target.sink = &sink;
  QUOREL_TRY(Result<void>(DecodePng(input, &target)));
  return DecodedRows{target.complete};
}

Result<Decoded> ReadPng(RandomAccessInput& file) {
  return DecodeIntoPicture([&](RowSink& sink) { return ReadPngRows(file, sink); });
}

}  // namespace

Result<Decoded> ReadPngFile(const std::filesystem::path& path) {
  return ReadFromFileInput(path, [](RandomAccessInput& file) { return ReadPng(file); });
}

Result<Decoded> ReadPngBytes(std::span<const uint8_t> bytes) {
  MemoryInput input(bytes);
  return ReadPng(input);
}

Result<DecodedRows> ReadPngFileRows(const std::filesystem::path& path, RowSink& sink) {
  return ReadFromFileInput(path, [&](RandomAccessInput& file) { return ReadPngRows(file, sink); });
}

Result<DecodedRows> ReadPngBytesRows(std::span<const uint8_t> bytes, RowSink& sink) {
  MemoryInput input(bytes);
  return ReadPngRows(input, sink);
}

}  // namespace quorel
