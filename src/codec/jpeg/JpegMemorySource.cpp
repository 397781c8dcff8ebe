// Quorel — SPDX-License-Identifier: MIT
#include "codec/jpeg/JpegMemorySource.h"

#include <algorithm>

namespace quorel {
namespace {

// What a file that ends early is completed with: libjpeg finishes the image
// with its usual filling for missing data.
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

JpegMemorySource& SourceOf(j_decompress_ptr cinfo) {
  // The manager is the first member, so the two addresses are the same.
  return *reinterpret_cast<JpegMemorySource*>(cinfo->src);
}

void InitSource(j_decompress_ptr cinfo) { SourceOf(cinfo).start_of_file = true; }

void SkipInput(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto& manager = *cinfo->src;
  auto remaining = static_cast<size_t>(count);
  while (remaining > manager.bytes_in_buffer) {
    remaining -= manager.bytes_in_buffer;
    FillJpegInput(cinfo);  // moves through the same pieces; past the end it gives the marker
    if (SourceOf(cinfo).handed_out >= SourceOf(cinfo).size &&
        manager.next_input_byte == kEndOfImage) {
      return;  // nothing more to skip over: leave the marker in place
    }
  }
  manager.next_input_byte += remaining;
  manager.bytes_in_buffer -= remaining;
}

void TermSource(j_decompress_ptr) {}

}  // namespace

boolean FillJpegInput(j_decompress_ptr cinfo) {
  JpegMemorySource& source = SourceOf(cinfo);
  const size_t piece = std::min(source.size - source.handed_out, kJpegPieceSize);
  if (piece == 0) {
    if (source.start_of_file) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    source.manager.next_input_byte = kEndOfImage;
    source.manager.bytes_in_buffer = sizeof kEndOfImage;
  } else {
    source.manager.next_input_byte = source.data + source.handed_out;
    source.manager.bytes_in_buffer = piece;
    source.handed_out += piece;
  }
  source.start_of_file = false;
  return TRUE;
}

void AttachJpegMemorySource(j_decompress_ptr cinfo, JpegMemorySource& source, const JOCTET* data,
                            size_t size) {
  source.manager.init_source = InitSource;
  source.manager.fill_input_buffer = FillJpegInput;
  source.manager.skip_input_data = SkipInput;
  source.manager.resync_to_restart = jpeg_resync_to_restart;  // the library's default
  source.manager.term_source = TermSource;
  source.manager.next_input_byte = nullptr;
  source.manager.bytes_in_buffer = 0;
  source.data = data;
  source.size = size;
  source.handed_out = 0;
  source.start_of_file = true;
  cinfo->src = &source.manager;
}

}  // namespace quorel
