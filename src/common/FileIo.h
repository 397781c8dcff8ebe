// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>

#include "common/Result.h"

namespace quorel {

// A file opened for writing: created, or truncated when it exists; closed when
// the object goes out of scope.
class OutputFile {
 public:
  explicit OutputFile(const std::filesystem::path& path);
  // Takes over a descriptor that is already open for writing.
  explicit OutputFile(int fd) : fd_(fd) {}
  ~OutputFile() { (void)Close(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool is_open() const { return fd_ >= 0; }
  int descriptor() const { return fd_; }
  // kCannotOpen when the file is not open or fewer bytes than asked could be
  // written.
  Result<void> Write(std::span<const uint8_t> bytes);
  // kCannotOpen when closing reports an error (data that never reached the
  // file); closing a closed file succeeds.
  Result<void> Close();

 private:
  int fd_ = -1;
};

// Replaces `path` with `bytes` so that a crash leaves either the old file or the
// new one, never a half-written one: a temporary file in the same folder is
// written, flushed to disk and renamed over the old name. A missing folder is
// created. kCannotOpen (and the old file untouched) on any failure, with errno
// left at the cause (ENOSPC for a full disk, say).
Result<void> WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes);
// The same with the file's bytes in pieces, written one after the other (a
// header and a picture's block, say, without copying them together first).
Result<void> WriteFileAtomically(const std::filesystem::path& path,
                                 std::initializer_list<std::span<const uint8_t>> pieces);

}  // namespace quorel
