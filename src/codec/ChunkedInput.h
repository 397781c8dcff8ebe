// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "codec/RandomAccessInput.h"
#include "common/ByteBuffer.h"
#include "common/Result.h"

namespace quorel {

// The bytes of an input read front to back, a chunk at a time: a reader holds
// one chunk of its file, however large the file is (bytes already in memory
// are used where they lie). NOTE: a failed read (or a chunk that cannot be
// allocated) ends the data where it stands and is kept in status(), which a
// reader checks once at its end: inside the format a failure then looks like
// a file cut short, and the answer is the failure's status.
class ChunkedInput {
 public:
  static constexpr size_t kChunkBytes = size_t{256} << 10;

  explicit ChunkedInput(RandomAccessInput& input);
  ChunkedInput(const ChunkedInput&) = delete;
  ChunkedInput& operator=(const ChunkedInput&) = delete;

  uint64_t Size() const { return size_; }
  uint64_t Position() const { return start_ + at_; }
  uint64_t Left() const { return size_ - Position(); }
  bool AtEnd() const { return Position() >= size_; }
  // kOk, or why the data ended before the input's end.
  Status status() const { return status_; }

  // The bytes from the read position on that are already in memory, after
  // reading the next chunk when none are; empty only at the end.
  std::span<const uint8_t> Buffered() {
    if (at_ == filled_) Refill();
    return {data_ + at_, filled_ - at_};
  }
  // Moves on by `count` bytes of those Buffered() gave.
  void Consume(size_t count) { at_ += count; }
  // The byte at the read position, 0 at the end; not consumed.
  uint8_t Peek() {
    const auto bytes = Buffered();
    return bytes.empty() ? 0 : bytes[0];
  }
  // The byte at the read position, consumed; 0 at the end.
  uint8_t Next() {
    if (at_ < filled_) return data_[at_++];
    const uint8_t byte = Peek();
    Skip(1);
    return byte;
  }
  // Moves on by `count` bytes, at most to the end; what is skipped is not read.
  void Skip(uint64_t count);
  // All of `out` from the read position on, consumed; false, and nothing
  // consumed, when fewer bytes are left.
  bool Read(std::span<uint8_t> out);
  // The same without consuming them.
  bool Peek(std::span<uint8_t> out);

 private:
  void Refill();
  void Fail(Status status);

  RandomAccessInput& input_;
  uint64_t size_;
  ByteBuffer chunk_;
  const uint8_t* data_ = nullptr;  // the bytes from `start_` on: the chunk, or the input's own memory
  uint64_t start_ = 0;  // the input's offset of data_[0]
  size_t filled_ = 0;   // bytes valid at data_
  size_t at_ = 0;       // the read position within them
  Status status_ = Status::kOk;
};

}  // namespace quorel
