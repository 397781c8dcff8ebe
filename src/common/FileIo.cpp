// Quorel — SPDX-License-Identifier: MIT
#include "common/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace quorel {
namespace {

// Closes a POSIX descriptor when it goes out of scope.
class FdGuard {
 public:
  explicit FdGuard(int fd) : fd_(fd) {}
  ~FdGuard() { Close(); }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int get() const { return fd_; }
  bool Close() {
    if (fd_ < 0) return true;
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  std::error_code ec;
  const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  std::filesystem::create_directories(folder, ec);

  std::string temp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  FdGuard fd(::mkstemp(temp.data()));
  if (fd.get() < 0) return false;
  // Keep the permissions an ordinary new file would get.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd.get(), 0666 & ~mask);
  const bool written = WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 && fd.Close();
  if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

bool WriteFileInPlace(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  FdGuard fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) return false;
  return WriteAll(fd.get(), bytes) && fd.Close();
}

}  // namespace quorel
