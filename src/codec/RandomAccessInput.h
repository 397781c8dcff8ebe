// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

namespace quorel {

// Bytes that a reader fetches by offset: a file on disk or a block already in
// memory. Readers check every range against Size() before they ask for it.
class RandomAccessInput {
 public:
  virtual ~RandomAccessInput() = default;
  virtual uint64_t Size() const = 0;
  // True when all of `out` was filled from `offset` on.
  virtual bool ReadAt(uint64_t offset, std::span<uint8_t> out) = 0;
};

class MemoryInput final : public RandomAccessInput {
 public:
  explicit MemoryInput(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, std::span<uint8_t> out) override;

 private:
  std::span<const uint8_t> bytes_;
};

// A file opened read-only; closed when the object goes.
class FileInput final : public RandomAccessInput {
 public:
  // None when the file cannot be opened or sized, or is not a regular file
  // (a named pipe, a device, a folder).
  static std::unique_ptr<FileInput> Open(const std::filesystem::path& path);
  ~FileInput() override;
  FileInput(const FileInput&) = delete;
  FileInput& operator=(const FileInput&) = delete;

  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, std::span<uint8_t> out) override;

 private:
  FileInput(int fd, uint64_t size) : fd_(fd), size_(size) {}
  int fd_;
  uint64_t size_;
};

}  // namespace quorel
