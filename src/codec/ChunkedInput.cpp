// Quorel — SPDX-License-Identifier: MIT
#include "codec/ChunkedInput.h"

#include <algorithm>


namespace quorel {

ChunkedInput::ChunkedInput(RandomAccessInput& input) : input_(input), size_(input.Size()) {
  const std::span<const uint8_t> memory = input.InMemory();
  if (!memory.empty()) data_ = memory.data(), filled_ = memory.size();
}

void ChunkedInput::Fail(Status status) {
  status_ = status;
  size_ = Position();
}

void ChunkedInput::Refill() {
  if (AtEnd()) return;
  // Allocated at the first read, no larger than the file needs.
  if (chunk_.empty() && !chunk_.Resize(static_cast<size_t>(std::min<uint64_t>(size_, kChunkBytes)))) {
    return Fail(Status::kOutOfMemory);
  }
  start_ = Position();
  at_ = filled_ = 0;
  const auto piece = std::span(chunk_).first(static_cast<size_t>(std::min<uint64_t>(Left(), chunk_.size())));
  if (!input_.ReadAt(start_, piece)) return Fail(Status::kCannotOpen);
  data_ = chunk_.data();
  filled_ = piece.size();
}

void ChunkedInput::Skip(uint64_t count) {
  count = std::min(count, Left());
  if (count <= filled_ - at_) {
    at_ += static_cast<size_t>(count);
    return;
  }
  start_ = Position() + count;  // the next read starts there
  at_ = filled_ = 0;
}

bool ChunkedInput::Read(std::span<uint8_t> out) {
  if (out.size() > Left()) return false;
  while (!out.empty()) {
    const auto bytes = Buffered();
    if (bytes.empty()) return false;  // a failed read
    const size_t n = std::min(bytes.size(), out.size());
    std::copy_n(bytes.begin(), n, out.begin());
    Consume(n);
    out = out.subspan(n);
  }
  return true;
}

bool ChunkedInput::Peek(std::span<uint8_t> out) {
  if (out.size() > Left()) return false;
  const auto bytes = Buffered();
  if (bytes.size() >= out.size()) {
    std::copy_n(bytes.begin(), out.size(), out.begin());
    return true;
  }
  // Across the end of the chunk: straight from the input, the chunk unchanged.
  if (!input_.ReadAt(Position(), out)) {
    Fail(Status::kCannotOpen);
    return false;
  }
  return true;
}

}  // namespace quorel
