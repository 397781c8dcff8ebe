// Quorel — SPDX-License-Identifier: MIT
// ReadJpegFile: libjpeg decodes, this file chooses what is accepted and where
// the rows land.
#include "codec/jpeg/JpegReader.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstring>
#include <optional>

#include "codec/ChunkedInput.h"
#include "codec/ReadFromFile.h"
#include "codec/jpeg/ExifOrientation.h"
#include "codec/jpeg/JpegChunkSource.h"
#include "image/Orientation.h"
#include "image/RowSink.h"

namespace quorel {
namespace {

constexpr size_t kMinFileSize = 5;  // 4 bytes or fewer are refused before decoding
constexpr uint8_t kStartOfImage = 0xD8;  // the marker every JPEG begins with, after 0xFF
// NOTE: the library's own working memory (progressive coefficient buffers, 3
// bytes a pixel at 4:2:0, 6 at 4:4:4) is capped, and so is the work: the scans
// read so far times the picture's 8×8 blocks. Each scan may visit every block,
// even one that is a single end-of-band run, so a small hostile file could
// otherwise take minutes. A 12-megapixel progressive photo needs 2.9 million
// block-scans (10 scans, 4:2:0), 5.7 million at 4:4:4; the largest
// progressive picture the memory cap allows (1.5 million blocks: 67
// megapixels at 4:2:0) has room for 85 scans under 2^27, and 2^27 blocks
// of end-of-band runs take well under a second.
constexpr long kJpegWorkingMemory = 192L << 20;
constexpr int kMaxScans = 1000;
constexpr int64_t kMaxBlockScans = int64_t{1} << 27;
constexpr int kDotsPerCentimetre = 2;
constexpr JDIMENSION kLinesPerCall = 16;

// The error manager whose error exit jumps back to DecodeJpeg. Trivially
// destructible, like every other local of that function.
struct JpegErrorManager {
  jpeg_error_mgr manager;  // first member: the library sees only this
  std::jmp_buf jump;
  Status status;  // what the jump reports
  bool ran_out;   // the data ended before the end-of-image marker
};

JpegErrorManager& ErrorsOf(j_common_ptr cinfo) {
  return *reinterpret_cast<JpegErrorManager*>(cinfo->err);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  JpegErrorManager& errors = ErrorsOf(cinfo);
  if (errors.status == Status::kOk) {
    const int code = errors.manager.msg_code;
    // Lossless, hierarchical and 12-bit frames are codings we do not take.
    errors.status = code == JERR_SOF_UNSUPPORTED || code == JERR_BAD_PRECISION
                        ? Status::kJpegCoding : Status::kJpegLibrary;
  }
  std::longjmp(errors.jump, 1);
}

// Warnings: decoding goes on, silently; only data that ends early is noted.
void NoteWarning(j_common_ptr cinfo, int msg_level) {
  JpegErrorManager& errors = ErrorsOf(cinfo);
  if (msg_level < 0 && errors.manager.msg_code == JWRN_JPEG_EOF) errors.ran_out = true;
}
void NoOutput(j_common_ptr) {}

// The picture's 8×8 blocks over all components.
int64_t BlocksOf(const jpeg_decompress_struct& cinfo) {
  int64_t blocks = 0;
  for (int c = 0; c < cinfo.num_components; ++c) {
    blocks += int64_t{cinfo.comp_info[c].width_in_blocks} * cinfo.comp_info[c].height_in_blocks;
  }
  return blocks;
}

void LimitScans(j_common_ptr cinfo) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
  const int scans = decompress->input_scan_number;
  if (scans > kMaxScans || scans * BlocksOf(*decompress) > kMaxBlockScans) {
    ErrorsOf(cinfo).status = Status::kJpegLibrary;
    ErrorExit(cinfo);
  }
}

// Grey and three-component colour go on, as blue-green-red from the library;
// everything else is refused.
Status ChooseOutput(jpeg_decompress_struct& cinfo) {
  if (cinfo.arith_code || cinfo.data_precision != 8) return Status::kJpegCoding;
  if (cinfo.out_color_space != JCS_GRAYSCALE && cinfo.out_color_space != JCS_RGB) {
    return Status::kJpegColourSpace;
  }
  cinfo.out_color_space = JCS_EXT_BGR;  // grey comes out repeated in all three bytes
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.scale_num = 1;
  cinfo.scale_denom = 1;
  cinfo.quantize_colors = FALSE;
  cinfo.do_fancy_upsampling = TRUE;
  cinfo.do_block_smoothing = FALSE;
  return Status::kOk;
}

// The JFIF density, kept for the picture's header when given in dots per
// centimetre.
struct JpegDensity {
  uint32_t x_per_metre = 0;
  uint32_t y_per_metre = 0;
};

// Tells the sink the output size. Kept out of DecodeJpeg because it builds
// objects with destructors.
Status BeginRows(const jpeg_decompress_struct& cinfo, RowSink& sink, Orientation orientation) {
  if (int64_t{cinfo.output_width} * cinfo.output_height > kMaxDecodedPixels) return Status::kTooLarge;
  return sink.BeginTurned(static_cast<int32_t>(cinfo.output_width), static_cast<int32_t>(cinfo.output_height),
                          orientation)
      .status();
}

// The one function that the library's error exit jumps back to: all its locals
// have trivial destructors, and every path, the jump's included, ends with the
// library's memory released and, on failure, no picture.
Status DecodeJpeg(ChunkedInput& input, RowSink& sink, JpegDensity* density, Orientation* orientation,
                  bool* complete) {
  JpegErrorManager errors;
  jpeg_decompress_struct cinfo;
  JpegChunkSource source;
  jpeg_progress_mgr progress;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = ErrorExit;
  errors.manager.emit_message = NoteWarning;
  errors.manager.output_message = NoOutput;
  errors.status = Status::kOk;
  errors.ran_out = false;
  progress.progress_monitor = LimitScans;

  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return input.status() != Status::kOk ? input.status() : errors.status;  // a failed read says why
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kJpegWorkingMemory;
  cinfo.progress = &progress;
  AttachJpegChunkSource(&cinfo, source, input);
  jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);  // Exif, for the orientation
  jpeg_read_header(&cinfo, TRUE);  // a stream of tables only is an error here
  // The first Exif block decides, as in viewers; an XMP segment (also APP1)
  // may come before it.
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
    if (m->marker != JPEG_APP0 + 1 || !IsExifBlock({m->data, m->data_length})) continue;
    *orientation = ReadExifOrientation({m->data, m->data_length});
    break;
  }

  Status status = ChooseOutput(cinfo);
  if (status == Status::kOk) {
    jpeg_calc_output_dimensions(&cinfo);
    status = BeginRows(cinfo, sink, *orientation);
  }
  if (cinfo.saw_JFIF_marker && cinfo.density_unit == kDotsPerCentimetre) {
    *density = {uint32_t{cinfo.X_density} * 100, uint32_t{cinfo.Y_density} * 100};
  }
  if (status == Status::kOk) {
    jpeg_start_decompress(&cinfo);
    // The first decoded line is the top row. NOTE: as many lines per call as
    // the sink takes (16 straight into a whole picture): fewer calls into the
    // library than one line at a time, same result.
    JSAMPROW lines[kLinesPerCall];
    const JDIMENSION window = std::clamp<JDIMENSION>(static_cast<JDIMENSION>(sink.Window()), 1, kLinesPerCall);
    while (cinfo.output_scanline < cinfo.output_height) {
      const JDIMENSION first = cinfo.output_scanline;
      const JDIMENSION count = std::min<JDIMENSION>(window, cinfo.output_height - first);
      for (JDIMENSION i = 0; i < count; ++i) lines[i] = sink.Row(static_cast<int32_t>(first + i)).data();
      if (jpeg_read_scanlines(&cinfo, lines, count) == 0) break;  // cannot happen: the source never suspends
    }
    jpeg_finish_decompress(&cinfo);
  }
  jpeg_destroy_decompress(&cinfo);
  *complete = !errors.ran_out;
  return status;
}

// The coding a file's first frame header announces, found by walking the
// marker segments from the start of the file up to the first frame or scan.
// NOTE: checked here rather than left to the library, which decodes
// arithmetic coding and, in newer versions, lossless frames.
bool UsesRefusedCoding(RandomAccessInput& file) {
  ChunkedInput input(file);
  const uint64_t size = input.Size();
  std::array<uint8_t, 4> bytes{};  // the four bytes from `at` on: marker and length
  uint64_t at = 2;  // behind SOI; what is not JPEG at all is the library's to refuse
  while (at + 1 < size) {
    input.Skip(at - input.Position());  // `at` only moves forward
    if (!input.Peek(std::span(bytes).first(static_cast<size_t>(std::min<uint64_t>(size - at, 4))))) return false;
    if (bytes[0] != 0xFF) return false;
    const uint8_t marker = bytes[1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDE) return true;  // DHP: hierarchical
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      return marker != 0xC0 && marker != 0xC1 && marker != 0xC2;  // baseline, extended, progressive
    }
    if (marker == 0xDA || marker == 0xD9) return false;  // a scan or the end before any frame
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
      at += 2;  // markers without a length
      continue;
    }
    if (at + 3 >= size) return false;
    at += 2 + ((uint64_t{bytes[2]} << 8) | bytes[3]);
  }
  return false;
}

// What the first bytes tell: too short, or without the start-of-image marker
// that the library would refuse.
Result<void> CheckJpegHead(std::span<const uint8_t> head) {
  if (head.size() < kMinFileSize) return Status::kCannotOpen;
  if (head[0] != 0xFF || head[1] != kStartOfImage) return Status::kJpegLibrary;
  return {};
}

Result<DecodedRows> ReadJpegRows(RandomAccessInput& file, RowSink& sink, JpegDensity* density,
                                 Orientation* orientation) {
  QUOREL_TRY(CheckFileHead(file, CheckJpegHead));
  if (UsesRefusedCoding(file)) return Status::kJpegCoding;
  ChunkedInput input(file);
  bool complete = true;
  QUOREL_TRY(Result<void>(DecodeJpeg(input, sink, density, orientation, &complete)));
  return DecodedRows{complete};
}

Result<Decoded> ReadJpeg(RandomAccessInput& bytes) {
  JpegDensity density;
  Orientation orientation = Orientation::kTopLeft;
  Decoded decoded = QUOREL_TRY(DecodeIntoPicture(
      [&](RowSink& sink) { return ReadJpegRows(bytes, sink, &density, &orientation); }));
  PackedDib& picture = decoded.picture;
  if (density.x_per_metre != 0 || density.y_per_metre != 0) {
    picture.SetField32(DibField::kXPelsPerMeter, density.x_per_metre);
    picture.SetField32(DibField::kYPelsPerMeter, density.y_per_metre);
  }
  // Shown as every viewer shows it: upright by its Exif orientation.
  if (orientation != Orientation::kTopLeft) decoded.picture = QUOREL_TRY(MakeUpright(picture, orientation));
  return decoded;
}

Result<DecodedRows> ReadJpegRowsOnly(RandomAccessInput& bytes, RowSink& sink) {
  JpegDensity density;  // only a whole picture carries it
  Orientation orientation = Orientation::kTopLeft;  // a sink is told by the row order
  return ReadJpegRows(bytes, sink, &density, &orientation);
}

}  // namespace

Result<Decoded> ReadJpegFile(const std::filesystem::path& path) {
  return ReadFromFileInput(path, [](RandomAccessInput& file) { return ReadJpeg(file); });
}

Result<Decoded> ReadJpegBytes(std::span<const uint8_t> bytes) {
  MemoryInput input(bytes);
  return ReadJpeg(input);
}

Result<DecodedRows> ReadJpegFileRows(const std::filesystem::path& path, RowSink& sink) {
  return ReadFromFileInput(path, [&](RandomAccessInput& file) { return ReadJpegRowsOnly(file, sink); });
}

Result<DecodedRows> ReadJpegBytesRows(std::span<const uint8_t> bytes, RowSink& sink) {
  MemoryInput input(bytes);
  return ReadJpegRowsOnly(input, sink);
}

Result<DecodedRows> ReadJpegFileRows(const std::filesystem::path& path, RowSink& sink, JpegPixelDensity& density) {
  return ReadFromFileInput(path, [&](RandomAccessInput& file) -> Result<DecodedRows> {
    JpegDensity found;
    Orientation orientation = Orientation::kTopLeft;  // the sink is told by BeginTurned
    const DecodedRows rows = QUOREL_TRY(ReadJpegRows(file, sink, &found, &orientation));
    density = {found.x_per_metre, found.y_per_metre};
    return rows;
  });
}

}  // namespace quorel
