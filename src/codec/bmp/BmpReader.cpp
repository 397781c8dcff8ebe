// Quorel — SPDX-License-Identifier: MIT
// ReadBmpFile and ReadBmpBytes: BMP files and bare packed DIBs as pictures.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <optional>

#include "codec/RandomAccessInput.h"
#include "codec/bmp/BmpFile.h"
#include "codec/bmp/BmpMasks.h"
#include "common/ByteBuffer.h"
#include "common/LittleEndian.h"
#include "image/DibLayout.h"
#include "image/PaletteRow.h"

namespace quorel {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kMaxPaletteEntries = 256;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
// Version 4 and 5 headers: the 40-byte fields, then the red, green, blue and
// alpha masks, colour-space fields and (version 5) a profile's place.
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kV5HeaderSize = 124;
constexpr size_t kAlphaMaskAt = 52;
// Rows read at once when they are handed on as they come.
constexpr size_t kRowChunkBytes = 256 << 10;

// What the bitmap header says, whichever header form it came in.
struct BmpLayout {
  std::array<uint8_t, kInfoHeaderSize> header{};  // the file's header in 40-byte form
  uint64_t header_start = 0;
  uint32_t header_size = 0;
  uint64_t off_bits = 0;
  int32_t width = 0;
  int64_t height = 0;       // as stored: negative for top-down rows
  int bit_count = 0;
  uint32_t compression = 0;
  uint32_t entries = 0;     // colour-table entries
  uint64_t entry_size = 4;  // 3 after a 12-byte header
  uint32_t alpha_mask = 0;  // of a version 4 or 5 header with bit fields
};

// The 12-byte core header rewritten as a 40-byte info header.
void WidenCoreHeader(std::span<const uint8_t> core, BmpLayout& layout) {
  auto& h = layout.header;
  h.fill(0);
  StoreLe32(h, 0, kInfoHeaderSize);
  StoreLe32(h, 4, LoadLe16(core, 4));   // bcWidth
  StoreLe32(h, 8, LoadLe16(core, 6));   // bcHeight
  StoreLe16(h, 12, LoadLe16(core, 8));  // bcPlanes
  StoreLe16(h, 14, LoadLe16(core, 10)); // bcBitCount
  StoreLe32(h, 32, layout.entries);     // biClrUsed
  StoreLe32(h, 36, layout.entries);     // biClrImportant
}

bool SupportedLayout(uint32_t compression, int bit_count) {
  switch (compression) {
    case kBiRgb:
      return bit_count == 1 || bit_count == 4 || bit_count == 8 || bit_count == 16 ||
             bit_count == 24 || bit_count == 32;
    case kBiBitfields:
      return bit_count == 16 || bit_count == 32;
    default:
      return false;  // run-length and embedded compressions are not read
  }
}

Result<BmpLayout> ReadLayout(RandomAccessInput& in) {
  BmpLayout layout;
  std::array<uint8_t, kFileHeaderSize> file_header{};
  if (!in.ReadAt(0, file_header)) return Status::kCannotOpen;
  if (file_header[0] == 'B' && file_header[1] == 'M') {
    layout.header_start = kFileHeaderSize;
    layout.off_bits = LoadLe32(file_header, 10);
  }  // otherwise a bare packed DIB: the header starts at offset 0

  // Only the header the file declares is read: a whole 12-byte-header file
  // may be shorter than a 40-byte header.
  std::array<uint8_t, kV5HeaderSize> raw{};
  if (!in.ReadAt(layout.header_start, std::span(raw).first(4))) return Status::kCannotOpen;
  layout.header_size = LoadLe32(raw, 0);
  if (layout.header_size != kCoreHeaderSize && layout.header_size != kInfoHeaderSize &&
      layout.header_size != kV4HeaderSize && layout.header_size != kV5HeaderSize) {
    return Status::kUnsupported;  // OS/2 2.x and other header sizes
  }
  if (!in.ReadAt(layout.header_start, std::span(raw).first(layout.header_size))) {
    return Status::kCannotOpen;
  }
  layout.entries = PaletteEntries(raw);
  if (layout.header_size == kCoreHeaderSize) {
    layout.entry_size = 3;
    WidenCoreHeader(raw, layout);
  } else {
    // A version 4 or 5 header keeps its first 40 bytes: the same fields at the
    // same places. Its colour masks sit where a 40-byte header's follow it.
    std::copy_n(raw.begin(), kInfoHeaderSize, layout.header.begin());
    StoreLe32(layout.header, 0, kInfoHeaderSize);
    if (layout.header_size > kInfoHeaderSize && LoadLe32(raw, 16) == kBiBitfields) {
      layout.alpha_mask = LoadLe32(raw, kAlphaMaskAt);
    }
  }
  const auto& h = layout.header;
  layout.width = static_cast<int32_t>(LoadLe32(h, 4));
  layout.height = static_cast<int32_t>(LoadLe32(h, 8));
  layout.bit_count = LoadLe16(h, 14);
  layout.compression = LoadLe32(h, 16);
  if (!SupportedLayout(layout.compression, layout.bit_count)) return Status::kUnsupported;
  // NOTE: pictures without pixels and absurd colour tables are refused rather
  // than carried along: nothing downstream could show them.
  if (layout.width < 1 || layout.height == 0) return Status::kUnsupported;
  if (layout.entries > kMaxPaletteEntries) return Status::kUnsupported;
  if (static_cast<int64_t>(layout.width) * std::abs(layout.height) > kMaxPixels) {
    return Status::kTooLarge;
  }
  return layout;
}

// Rows of a top-down file put bottom-up, in place.
void FlipRows(std::span<uint8_t> rows, size_t stride, size_t height) {
  for (size_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(rows.begin() + static_cast<ptrdiff_t>(top * stride),
                     rows.begin() + static_cast<ptrdiff_t>((top + 1) * stride),
                     rows.begin() + static_cast<ptrdiff_t>(bottom * stride));
  }
}

// The colour table into `table` (4-byte entries), widening 3-byte entries.
Result<void> ReadColourTable(RandomAccessInput& in, uint64_t offset, const BmpLayout& layout,
                             std::span<uint8_t> table) {
  const size_t stored = static_cast<size_t>(layout.entries * layout.entry_size);
  QUOREL_TRY(in.ReadAt(offset, table.first(stored)));
  if (layout.entry_size == 3) {
    for (size_t i = layout.entries; i-- > 0;) {  // last entry first: the copy runs in place
      table[4 * i + 3] = 0;
      table[4 * i + 2] = table[3 * i + 2];
      table[4 * i + 1] = table[3 * i + 1];
      table[4 * i] = table[3 * i];
    }
  }
  return {};
}

// The opacity of a pixel, 0–255 over the whole range of the mask's bits (a
// 1-bit alpha of 1 is 255), unlike the colour components.
class AlphaMask {
 public:
  explicit AlphaMask(uint32_t mask)
      : mask_(mask), shift_(mask == 0 ? 0 : std::countr_zero(mask)), max_(mask >> shift_) {}
  bool present() const { return mask_ != 0; }
  uint8_t Extract(uint32_t pixel) const {
    const uint64_t value = (pixel & mask_) >> shift_;
    return static_cast<uint8_t>((value * 255 + max_ / 2) / max_);
  }

 private:
  uint32_t mask_;
  int shift_;
  uint64_t max_;
};

uint32_t PixelAt(std::span<const uint8_t> row, size_t x, int bit_count) {
  return bit_count == 16 ? LoadLe16(row, 2 * x) : LoadLe32(row, 4 * x);
}

// NOTE: a file whose alpha is 0 everywhere is taken as opaque: some writers
// leave the alpha bits unused but still name them.
bool AnyOpacity(std::span<const uint8_t> source, size_t source_stride, int32_t width, int bit_count,
                const AlphaMask& alpha) {
  for (size_t start = 0; start + source_stride <= source.size(); start += source_stride) {
    const auto row = source.subspan(start, source_stride);
    for (size_t x = 0; x < static_cast<size_t>(width); ++x) {
      if (alpha.Extract(PixelAt(row, x, bit_count)) != 0) return true;
    }
  }
  return false;
}

// One row of 16- or 32-bit pixels as blue-green-red.
void ConvertRow(std::span<const uint8_t> in, int bit_count, const BmpMasks& masks, const AlphaMask& alpha,
                std::span<uint8_t> out) {
  for (size_t x = 0; x < out.size() / 3; ++x) {
    const uint32_t pixel = PixelAt(in, x, bit_count);
    out[3 * x] = masks.blue.Extract(pixel);
    out[3 * x + 1] = masks.green.Extract(pixel);
    out[3 * x + 2] = masks.red.Extract(pixel);
    if (!alpha.present()) continue;
    // Transparent pixels go over white, as in every other reader.
    const unsigned a = alpha.Extract(pixel);
    for (size_t c = 3 * x; c < 3 * x + 3; ++c) {
      out[c] = static_cast<uint8_t>((out[c] * a + 255 * (255 - a) + 127) / 255);
    }
  }
}

void ConvertRows(std::span<const uint8_t> source, size_t source_stride, int bit_count,
                 const BmpMasks& masks, const AlphaMask& alpha, bool top_down, DibRows& rows) {
  const auto& g = rows.geometry();
  for (int32_t r = 0; r < g.height; ++r) {
    const auto in = source.subspan(static_cast<size_t>(r) * source_stride, source_stride);
    const auto out = rows.StoredRow(top_down ? g.height - 1 - r : r).first(3 * static_cast<size_t>(g.width));
    ConvertRow(in, bit_count, masks, alpha, out);
  }
}

// Where a file's colour table and rows lie, every range checked against the
// file's size.
struct BmpPlan {
  BmpLayout layout;
  bool top_down = false;
  uint64_t height = 0;
  uint64_t source_stride = 0;
  uint64_t needed = 0;  // the rows' bytes
  uint64_t table_offset = 0;
  uint64_t pixel_offset = 0;
};

Result<BmpPlan> PlanBmp(RandomAccessInput& in) {
  BmpPlan plan;
  plan.layout = QUOREL_TRY(ReadLayout(in));
  const BmpLayout& layout = plan.layout;
  const uint64_t file_size = in.Size();
  plan.top_down = layout.height < 0;
  plan.height = static_cast<uint64_t>(std::abs(layout.height));
  plan.source_stride = RowStride(layout.width, layout.bit_count);
  plan.needed = plan.source_stride * plan.height;  // below 2^34: pixels are capped
  const uint32_t stored_size = LoadLe32(layout.header, 20);
  // Rows are walked by stride, so a smaller stored image size cannot be trusted.
  if (stored_size != 0 && stored_size < plan.needed) return Status::kUnsupported;
  // NOTE: a larger stored size is taken as padding behind the rows: a file
  // that holds every row is read even when it ends before biSizeImage says.

  const bool masks_behind = layout.compression == kBiBitfields && layout.header_size == kInfoHeaderSize;
  plan.table_offset = layout.header_start + layout.header_size + (masks_behind ? 12 : 0);
  const uint64_t table_bytes = uint64_t{layout.entries} * layout.entry_size;
  plan.pixel_offset = layout.off_bits != 0 ? layout.off_bits : plan.table_offset + table_bytes;
  if (plan.table_offset + table_bytes > file_size || plan.needed > file_size ||
      plan.pixel_offset > file_size - plan.needed) {
    return Status::kCannotOpen;  // the file ends before the table or the rows
  }
  return plan;
}

// The colour masks of 16- and 32-bit pixels: the file's bit fields, or the
// depth's default.
Result<BmpMasks> ReadMasks(RandomAccessInput& in, const BmpLayout& layout) {
  if (layout.compression != kBiBitfields) {
    return layout.bit_count == 16 ? BmpMasks::Default16() : BmpMasks::Default32();
  }
  std::array<uint8_t, 12> raw_masks{};
  QUOREL_TRY(in.ReadAt(layout.header_start + kInfoHeaderSize, raw_masks));
  return BmpMasks{ComponentMask(LoadLe32(raw_masks, 0)), ComponentMask(LoadLe32(raw_masks, 4)),
                  ComponentMask(LoadLe32(raw_masks, 8))};
}

Result<PackedDib> ReadBmp(RandomAccessInput& in) {
  const BmpPlan plan = QUOREL_TRY(PlanBmp(in));
  const BmpLayout& layout = plan.layout;
  const uint64_t height = plan.height;
  const uint64_t needed = plan.needed;

  if (layout.bit_count != 16 && layout.bit_count != 32) {
    PackedDib dib = QUOREL_TRY(CreateDib(layout.width, static_cast<int32_t>(height),
                                         layout.bit_count, layout.entries, PixelFill::kNone));
    // The file's own header, made bottom-up with the table and rows it has here.
    auto block = dib.Bytes();
    std::copy(layout.header.begin(), layout.header.end(), block.begin());
    dib.SetField32(DibField::kHeight, static_cast<uint32_t>(height));
    dib.SetField32(DibField::kSizeImage, static_cast<uint32_t>(needed));
    dib.SetField32(DibField::kClrUsed, layout.entries);
    const DibRows rows = QUOREL_TRY(DibRows::Of(dib));
    auto table = block.subspan(kInfoHeaderSize, size_t{4} * layout.entries);
    auto pixels = block.subspan(rows.geometry().pixel_offset, static_cast<size_t>(needed));
    QUOREL_TRY(ReadColourTable(in, plan.table_offset, layout, table));
    QUOREL_TRY(in.ReadAt(plan.pixel_offset, pixels));
    if (plan.top_down) FlipRows(pixels, static_cast<size_t>(plan.source_stride), static_cast<size_t>(height));
    return dib;
  }

  const BmpMasks masks = QUOREL_TRY(ReadMasks(in, layout));
  PackedDib dib = QUOREL_TRY(CreateDib(layout.width, static_cast<int32_t>(height), 24,
                                       layout.entries, PixelFill::kNone));
  // The file's header with 24 bits; biClrUsed keeps its value, the table stays zero.
  std::copy(layout.header.begin(), layout.header.end(), dib.Bytes().begin());
  dib.SetField32(DibField::kHeight, static_cast<uint32_t>(height));
  dib.SetField16(DibField::kBitCount, 24);
  dib.SetField32(DibField::kCompression, kBiRgb);
  dib.SetField32(DibField::kSizeImage, static_cast<uint32_t>(RowStride(layout.width, 24) * height));
  dib.SetField32(DibField::kClrUsed, layout.entries);
  std::fill_n(dib.Bytes().begin() + kInfoHeaderSize, size_t{4} * layout.entries, 0);
  ByteBuffer source = QUOREL_TRY(AllocateZeroed(needed));
  QUOREL_TRY(in.ReadAt(plan.pixel_offset, source));
  AlphaMask alpha(layout.alpha_mask);
  if (alpha.present() && !AnyOpacity(source, static_cast<size_t>(plan.source_stride), layout.width,
                                     layout.bit_count, alpha)) {
    alpha = AlphaMask(0);
  }
  DibRows rows = QUOREL_TRY(DibRows::Of(dib));
  ConvertRows(source, static_cast<size_t>(plan.source_stride), layout.bit_count, masks, alpha, plan.top_down,
              rows);
  return dib;
}

// The rows top first, in 24 bits as ConvertTo24 makes them of the whole
// picture, read by chunks: a bottom-up file from its end back. NOTE: whether
// a file's alpha counts depends on every pixel (AnyOpacity), so a file with
// an alpha mask is read whole (kUnsupported before the sink is begun).
Result<void> ReadBmpRows(RandomAccessInput& in, RowSink& sink) {
  const BmpPlan plan = QUOREL_TRY(PlanBmp(in));
  const BmpLayout& layout = plan.layout;
  if (layout.alpha_mask != 0) return Status::kUnsupported;
  const bool indexed = layout.bit_count <= 8;
  std::optional<PaletteRow> palette;
  if (indexed) {
    std::array<uint8_t, 4 * kMaxPaletteEntries> table{};
    QUOREL_TRY(ReadColourTable(in, plan.table_offset, layout, table));
    palette = QUOREL_TRY(PaletteRow::Create(layout.width, layout.bit_count,
                                            std::span(table).first(size_t{4} * layout.entries)));
  }
  const BmpMasks masks = indexed || layout.bit_count == 24 ? BmpMasks::Default32() : QUOREL_TRY(ReadMasks(in, layout));
  const auto height = static_cast<int32_t>(plan.height);
  QUOREL_TRY(sink.Begin(layout.width, height, RowOrder::kTopDown));
  const auto stride = static_cast<size_t>(plan.source_stride);
  const int32_t chunk_rows = static_cast<int32_t>(std::max<size_t>(1, kRowChunkBytes / stride));
  ByteBuffer chunk = QUOREL_TRY(AllocateZeroed(uint64_t{stride} * static_cast<uint64_t>(std::min(chunk_rows, height))));
  for (int32_t top = 0; top < height; top += chunk_rows) {
    const int32_t count = std::min(chunk_rows, height - top);
    // The file's rows [first, first + count): top-down from `top`, or the
    // bottom-up rows that hold picture rows top … top + count - 1.
    const int32_t first = plan.top_down ? top : height - top - count;
    const auto bytes = std::span(chunk).first(stride * static_cast<size_t>(count));
    QUOREL_TRY(in.ReadAt(plan.pixel_offset + uint64_t{stride} * static_cast<uint64_t>(first), bytes));
    for (int32_t i = 0; i < count; ++i) {
      const int32_t at = plan.top_down ? i : count - 1 - i;
      const auto row = bytes.subspan(stride * static_cast<size_t>(at), stride);
      const auto out = sink.Row(top + i);
      if (indexed) {
        palette->To24(row, out);
      } else if (layout.bit_count == 24) {
        std::copy_n(row.begin(), out.size(), out.begin());
      } else {
        ConvertRow(row, layout.bit_count, masks, AlphaMask(0), out);
      }
    }
  }
  return {};
}

}  // namespace

// A BMP is read whole or refused: never incomplete.
Result<Decoded> ReadBmpFile(const std::filesystem::path& path) {
  FileInput input = QUOREL_TRY(FileInput::Open(path));
  return Decoded{QUOREL_TRY(ReadBmp(input))};
}

Result<DecodedRows> ReadBmpFileRows(const std::filesystem::path& path, RowSink& sink) {
  FileInput input = QUOREL_TRY(FileInput::Open(path));
  QUOREL_TRY(ReadBmpRows(input, sink));
  return DecodedRows{};
}

Result<Decoded> ReadBmpBytes(std::span<const uint8_t> bytes) {
  MemoryInput input(bytes);
  return Decoded{QUOREL_TRY(ReadBmp(input))};
}

}  // namespace quorel
