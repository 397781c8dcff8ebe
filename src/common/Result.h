// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cassert>
#include <optional>
#include <utility>

#include "common/Status.h"

namespace quorel {

// A value or the status that says why there is none (std::expected is not
// available with every compiler we build with).
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
  Result(Status status) : status_(status) {      // NOLINT: implicit by design
    assert(status != Status::kOk);
  }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  Status status() const { return status_; }
  int code() const { return ToCode(status_); }

  T& value() & { assert(ok()); return *value_; }
  const T& value() const& { assert(ok()); return *value_; }
  T&& value() && { assert(ok()); return std::move(*value_); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*value_); }

 private:
  std::optional<T> value_;
  Status status_ = Status::kOk;
};

// Success without a value, or the status of the failure: `return {};` succeeds.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Status status) : status_(status) {}  // NOLINT: implicit by design; kOk is success

  bool ok() const { return status_ == Status::kOk; }
  explicit operator bool() const { return ok(); }
  Status status() const { return status_; }
  void value() const { assert(ok()); }

 private:
  Status status_ = Status::kOk;
};

}  // namespace quorel

// Evaluates a Result; on failure returns its status from the enclosing
// function, otherwise yields the value (nothing for Result<void>):
//   PackedDib picture = QUOREL_TRY(ReadBmpFile(path));
#define QUOREL_TRY(expression)                                  \
  ({                                                            \
    auto&& quorel_try_result_ = (expression);                   \
    if (!quorel_try_result_.ok()) return quorel_try_result_.status(); \
    std::move(quorel_try_result_).value();                      \
  })
