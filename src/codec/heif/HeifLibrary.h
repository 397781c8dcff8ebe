// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <libheif/heif.h>

#include "common/Result.h"

namespace quorel {

// The libheif functions the HEIF reader calls. Each is named after libheif's
// function without its "heif_" prefix; one list serves the declarations and
// the loading, so no entry can be declared and left unloaded.
#define QUOREL_HEIF_FUNCTIONS(X)                                                                              \
  X(init) X(deinit) X(context_alloc) X(context_free) X(context_read_from_memory_without_copy)                \
  X(context_set_maximum_image_size_limit) X(context_get_primary_image_handle) X(image_handle_get_width)       \
  X(image_handle_get_height) X(image_handle_has_alpha_channel) X(image_handle_release)                         \
  X(decoding_options_alloc) X(decoding_options_free) X(decode_image) X(image_get_width) X(image_get_height)    \
  X(image_get_plane_readonly) X(image_release)

// libheif, opened at run time rather than linked: loading it registers its
// decoders and builds their tables, a cost only a program that reads an HEIF
// picture should pay. The types come from libheif's header, so a changed
// signature fails to compile.
struct HeifLibrary {
#define QUOREL_HEIF_FUNCTION_POINTER(name) decltype(&heif_##name) name = nullptr;
  QUOREL_HEIF_FUNCTIONS(QUOREL_HEIF_FUNCTION_POINTER)
#undef QUOREL_HEIF_FUNCTION_POINTER

  // The functions of the library of this file name (found as dlopen finds
  // it); kHeifLibrary when it cannot be loaded or lacks one of them. A loaded
  // library stays for the rest of the process: the table points into it.
  static Result<HeifLibrary> Load(const char* file_name);
  // The libheif the build was compiled against, loaded by the first call.
  static const Result<HeifLibrary>& Installed();
};

}  // namespace quorel
