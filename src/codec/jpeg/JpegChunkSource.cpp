// Quorel — SPDX-License-Identifier: MIT
#include "codec/jpeg/JpegChunkSource.h"

#include <algorithm>

namespace quorel {
namespace {

// What a file that ends early is completed with: libjpeg finishes the image
// with its usual filling for missing data.
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

JpegChunkSource& SourceOf(j_decompress_ptr cinfo) {
  // The manager is the first member, so the two addresses are the same.
  return *reinterpret_cast<JpegChunkSource*>(cinfo->src);
}

void InitSource(j_decompress_ptr cinfo) { SourceOf(cinfo).start_of_file = true; }

void SkipInput(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto& manager = *cinfo->src;
  const auto wanted = static_cast<uint64_t>(count);
  if (wanted <= manager.bytes_in_buffer) {
    manager.next_input_byte += wanted;
    manager.bytes_in_buffer -= static_cast<size_t>(wanted);
    return;
  }
  // Over the rest of what the library holds and on through the input, unread;
  // past its end the next fill gives the marker, left in place.
  ChunkedInput& input = *SourceOf(cinfo).input;
  const uint64_t beyond = wanted - manager.bytes_in_buffer;
  manager.bytes_in_buffer = 0;
  if (beyond > input.Left()) {
    input.Skip(input.Left());
    FillJpegInput(cinfo);
    return;
  }
  input.Skip(beyond);
}

void TermSource(j_decompress_ptr) {}

}  // namespace

boolean FillJpegInput(j_decompress_ptr cinfo) {
  JpegChunkSource& source = SourceOf(cinfo);
  ChunkedInput& input = *source.input;
  const auto chunk = input.Buffered();
  if (chunk.empty()) {
    if (input.status() != Status::kOk) ERREXIT(cinfo, JERR_FILE_READ);
    if (source.start_of_file) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    source.manager.next_input_byte = kEndOfImage;
    source.manager.bytes_in_buffer = sizeof kEndOfImage;
  } else {
    // Handed over whole: the library holds on to it until it asks again.
    source.manager.next_input_byte = chunk.data();
    source.manager.bytes_in_buffer = chunk.size();
    input.Consume(chunk.size());
  }
  source.start_of_file = false;
  return TRUE;
}

void AttachJpegChunkSource(j_decompress_ptr cinfo, JpegChunkSource& source, ChunkedInput& input) {
  source.manager.init_source = InitSource;
  source.manager.fill_input_buffer = FillJpegInput;
  source.manager.skip_input_data = SkipInput;
  source.manager.resync_to_restart = jpeg_resync_to_restart;  // the library's default
  source.manager.term_source = TermSource;
  source.manager.next_input_byte = nullptr;
  source.manager.bytes_in_buffer = 0;
  source.input = &input;
  source.start_of_file = true;
  cinfo->src = &source.manager;
}

}  // namespace quorel
