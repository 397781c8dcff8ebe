// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <utility>
#include <span>

#include "common/Result.h"

namespace quorel {

// Bytes that a reader fetches by offset: a file on disk or a block already in
// memory. Readers check every range against Size() before they ask for it.
class RandomAccessInput {
 public:
  virtual ~RandomAccessInput() = default;
  virtual uint64_t Size() const = 0;
  // All of `out` filled from `offset` on, or kCannotOpen (the range runs past
  // the end, or reading fails).
  virtual Result<void> ReadAt(uint64_t offset, std::span<uint8_t> out) = 0;
  // All the bytes when they are in memory already, else empty.
  virtual std::span<const uint8_t> InMemory() const { return {}; }
};

class MemoryInput final : public RandomAccessInput {
 public:
  explicit MemoryInput(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  Result<void> ReadAt(uint64_t offset, std::span<uint8_t> out) override;
  std::span<const uint8_t> InMemory() const override { return bytes_; }

 private:
  std::span<const uint8_t> bytes_;
};

// A file opened read-only; closed when the object goes.
class FileInput final : public RandomAccessInput {
 public:
  // kCannotOpen when the file cannot be opened or sized, or is not a regular
  // file (a named pipe, a device, a folder).
  static Result<FileInput> Open(const std::filesystem::path& path);
  ~FileInput() override;
  FileInput(FileInput&& other) noexcept : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}
  FileInput& operator=(FileInput&&) = delete;

  uint64_t Size() const override { return size_; }
  Result<void> ReadAt(uint64_t offset, std::span<uint8_t> out) override;

 private:
  FileInput(int fd, uint64_t size) : fd_(fd), size_(size) {}
  int fd_;
  uint64_t size_;
};

}  // namespace quorel
