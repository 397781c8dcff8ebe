// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <type_traits>
#include <utility>

#include "common/Result.h"

namespace quorel {

// A run of plain values in one block from malloc, for the arrays that grow
// with a picture or an output (planes, sums, encoded bytes, text). Unlike
// std::vector, every step that allocates returns kOutOfMemory instead of
// throwing, so running out of memory is a status even where exceptions are
// off (the web edition). Copies are explicit (Copy), since they allocate too.
template <class T>
class Buffer {
  static_assert(std::is_trivially_copyable_v<T>, "values are moved with memcpy");

 public:
  using value_type = T;  // std::span takes a Buffer as it takes a vector

  Buffer() = default;
  Buffer(Buffer&& other) noexcept
      : data_(std::move(other.data_)), size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  Buffer& operator=(Buffer&& other) noexcept {
    data_ = std::move(other.data_);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    return *this;
  }

  // `count` values equal to `value`.
  static Result<Buffer> Filled(size_t count, T value = T{}) {
    Buffer buffer;
    QUOREL_TRY(buffer.Resize(count, value));
    return buffer;
  }
  static Result<Buffer> Copy(std::span<const T> values) {
    Buffer buffer;
    QUOREL_TRY(buffer.Append(values));
    return buffer;
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return data_.get(); }
  const T* data() const { return data_.get(); }
  T* begin() { return data(); }
  T* end() { return data() + size_; }
  const T* begin() const { return data(); }
  const T* end() const { return data() + size_; }
  T& operator[](size_t i) { return data_.get()[i]; }
  const T& operator[](size_t i) const { return data_.get()[i]; }
  T& back() { return data_.get()[size_ - 1]; }
  friend bool operator==(const Buffer& a, const Buffer& b) { return std::equal(a.begin(), a.end(), b.begin(), b.end()); }

  // Room for `count` values in all, so that growing to them allocates no more.
  Result<void> Reserve(size_t count) {
    if (count <= capacity_) return {};
    if (count > std::numeric_limits<size_t>::max() / sizeof(T)) return Status::kOutOfMemory;
    // realloc keeps the old block when it fails.
    void* grown = std::realloc(data_.get(), count * sizeof(T));
    if (grown == nullptr) return Status::kOutOfMemory;
    (void)data_.release();
    data_.reset(static_cast<T*>(grown));
    capacity_ = count;
    return {};
  }
  // `count` values; new ones equal to `value`.
  Result<void> Resize(size_t count, T value = T{}) {
    QUOREL_TRY(Reserve(count));
    for (size_t i = size_; i < count; ++i) data_.get()[i] = value;
    size_ = count;
    return {};
  }
  Result<void> Append(std::span<const T> values) {
    QUOREL_TRY(MakeRoom(values.size()));
    AppendInRoom(values);
    return {};
  }
  Result<void> Push(const T& value) {
    if (size_ == capacity_) QUOREL_TRY(MakeRoom(1));
    PushInRoom(value);
    return {};
  }

  // Room for `more` values past the size, so that a writer with a known
  // bound checks once and then appends within the room (an encoder's loop).
  Result<void> MakeRoom(size_t more) { return Reserve(Grown(more)); }
  void AppendInRoom(std::span<const T> values) {
    assert(values.size() <= capacity_ - size_);
    if (!values.empty()) std::memcpy(data() + size_, values.data(), values.size() * sizeof(T));
    size_ += values.size();
  }
  void PushInRoom(const T& value) {
    assert(size_ < capacity_);
    data_.get()[size_++] = value;
  }
  void PopBack() {
    assert(size_ > 0);
    --size_;
  }
  void Clear() { size_ = 0; }

 private:
  // The capacity for `more` values beyond the size: doubling, so appending
  // value by value costs amortised constant time.
  size_t Grown(size_t more) const {
    constexpr size_t kMost = std::numeric_limits<size_t>::max();
    if (more > kMost - size_) return kMost;  // Reserve refuses it
    const size_t wanted = size_ + more;
    if (wanted <= capacity_) return capacity_;
    return capacity_ > kMost / 2 ? wanted : std::max(wanted, 2 * capacity_);
  }

  struct Free {
    void operator()(T* p) const { std::free(p); }
  };
  std::unique_ptr<T, Free> data_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

using ByteBuffer = Buffer<uint8_t>;

// A block of bytes from malloc, for the owners of one fixed block (a picture,
// a file). NOTE: not new (std::nothrow): where exceptions are off, libc++'s
// nothrow new calls the throwing one, which then aborts instead of failing.
struct FreeBytes {
  void operator()(uint8_t* bytes) const { std::free(bytes); }
};
using MallocBytes = std::unique_ptr<uint8_t[], FreeBytes>;
// `size` bytes left as they come; null when memory runs out.
inline MallocBytes AllocateBytes(size_t size) {
  return MallocBytes(static_cast<uint8_t*>(std::malloc(std::max<size_t>(size, 1))));
}

}  // namespace quorel
