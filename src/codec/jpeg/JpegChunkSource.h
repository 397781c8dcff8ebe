// Quorel — SPDX-License-Identifier: MIT
#pragma once

// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "codec/ChunkedInput.h"

namespace quorel {

// The source that feeds the decompressor from an input read by chunks, a
// chunk at a time. Trivially destructible: it lives in the frame that the
// library's error exit jumps back to (the input lives outside it).
struct JpegChunkSource {
  jpeg_source_mgr manager;  // first member: the library sees only this
  ChunkedInput* input;
  bool start_of_file;  // set when the library (re)starts the source, cleared by each fill
};

// Attaches `source` over `input`, from its read position on, to the
// decompressor.
void AttachJpegChunkSource(j_decompress_ptr cinfo, JpegChunkSource& source, ChunkedInput& input);

// The source's fill operation: the next chunk, or an end-of-image marker once
// the data is used up (an error when there was no data at all, or when the
// input could not be read: the input's status tells). Always TRUE.
boolean FillJpegInput(j_decompress_ptr cinfo);

}  // namespace quorel
