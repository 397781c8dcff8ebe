// Quorel — SPDX-License-Identifier: MIT
#include "codec/RandomAccessInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quorel {

Result<void> MemoryInput::ReadAt(uint64_t offset, std::span<uint8_t> out) {
  if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return Status::kCannotOpen;
  std::copy_n(bytes_.begin() + static_cast<ptrdiff_t>(offset), out.size(), out.begin());
  return {};
}

Result<FileInput> FileInput::Open(const std::filesystem::path& path) {
  // NOTE: opened non-blocking so that a named pipe or a device with a picture's
  // name cannot hold the open; anything but a regular file is then refused,
  // and reads block as usual.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Status::kCannotOpen;
  struct stat info {};
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 || flags < 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return Status::kCannotOpen;
  }
  return FileInput(fd, static_cast<uint64_t>(info.st_size));
}

FileInput::~FileInput() {
  if (fd_ >= 0) ::close(fd_);
}

Result<void> FileInput::ReadAt(uint64_t offset, std::span<uint8_t> out) {
  while (!out.empty()) {
    const ssize_t n = ::pread(fd_, out.data(), out.size(), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Status::kCannotOpen;
    out = out.subspan(static_cast<size_t>(n));
    offset += static_cast<uint64_t>(n);
  }
  return {};
}

}  // namespace quorel
