// Quorel — SPDX-License-Identifier: MIT
#pragma once

// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace quorel {

// The source that feeds the decompressor from a file held in memory, in
// pieces of at most kJpegPieceSize bytes. Trivially destructible: it lives in
// the frame that the library's error exit jumps back to.
struct JpegMemorySource {
  jpeg_source_mgr manager;  // first member: the library sees only this
  const JOCTET* data;
  size_t size;
  size_t handed_out;  // bytes given to the library so far
  bool start_of_file; // set when the library (re)starts the source, cleared by each fill
};

inline constexpr size_t kJpegPieceSize = 4096;

// Attaches `source` over `size` bytes at `data` to the decompressor.
void AttachJpegMemorySource(j_decompress_ptr cinfo, JpegMemorySource& source, const JOCTET* data,
                            size_t size);

// The source's fill operation: the next piece, or an end-of-image marker once
// the data is used up (an error when there was no data at all). Always TRUE.
boolean FillJpegInput(j_decompress_ptr cinfo);

}  // namespace quorel
