// Quorel — SPDX-License-Identifier: MIT
#include "codec/heif/HeifLibrary.h"

#include <dlfcn.h>

namespace quorel {
namespace {

template <class Function>
bool Take(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

}  // namespace

Result<HeifLibrary> HeifLibrary::Load(const char* file_name) {
  void* const library = dlopen(file_name, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return Status::kHeifLibrary;
  HeifLibrary heif;
  bool complete = true;
#define QUOREL_HEIF_TAKE(name) complete = complete && Take(library, "heif_" #name, heif.name);
  QUOREL_HEIF_FUNCTIONS(QUOREL_HEIF_TAKE)
#undef QUOREL_HEIF_TAKE
  if (!complete) {
    dlclose(library);
    return Status::kHeifLibrary;
  }
  // NOTE: never closed: the table points into the library.
  return heif;
}

const Result<HeifLibrary>& HeifLibrary::Installed() {
  // NOTE: once per process, as a shared library is loaded once per process
  // anyway; the language makes the first call's initialisation thread-safe,
  // and a library that cannot be loaded is not looked for again.
  static const Result<HeifLibrary> installed = Load(QUOREL_HEIF_SONAME);
  return installed;
}

}  // namespace quorel
