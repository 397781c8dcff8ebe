// Quorel — SPDX-License-Identifier: MIT
#include "common/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace quorel {

OutputFile::OutputFile(const std::filesystem::path& path)
    : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {}

Result<void> OutputFile::Write(std::span<const uint8_t> bytes) {
  if (fd_ < 0) return Status::kCannotOpen;
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Status::kCannotOpen;
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
  return {};
}

Result<void> OutputFile::Close() {
  if (fd_ < 0) return {};
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  return closed ? Result<void>() : Status::kCannotOpen;
}

Result<void> WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  return WriteFileAtomically(path, {bytes});
}

Result<void> WriteFileAtomically(const std::filesystem::path& path,
                                 std::initializer_list<std::span<const uint8_t>> pieces) {
  std::error_code ec;
  const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  std::filesystem::create_directories(folder, ec);

  std::string temp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  OutputFile file(::mkstemp(temp.data()));
  if (!file.is_open()) return Status::kCannotOpen;
  // The new file keeps the permissions of the one it replaces; a first one
  // gets rw-r--r-- instead of the temporary file's private rw-------.
  struct stat old_file {};
  const mode_t mode = ::stat(path.c_str(), &old_file) == 0 ? (old_file.st_mode & 07777) : 0644;
  ::fchmod(file.descriptor(), mode);
  bool written = true;
  for (const auto piece : pieces) written = written && file.Write(piece).ok();
  written = written && ::fsync(file.descriptor()) == 0 && file.Close().ok();
  if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
    const int cause = errno;  // what the caller reports, not the clean-up's outcome
    (void)file.Close();
    ::unlink(temp.c_str());
    errno = cause;
    return Status::kCannotOpen;
  }
  return {};
}

}  // namespace quorel
