// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "common/Result.h"

namespace quorel {

namespace allocation_detail {
template <class T>
struct ResultOf {
  using Type = Result<T>;
};
template <class T>
struct ResultOf<Result<T>> {
  using Type = Result<T>;
};
}  // namespace allocation_detail

// The one place where the core decides about running out of memory: `work`
// (whatever allocates: a vector grown, a string built) runs here, and
// std::bad_alloc or std::length_error thrown inside it becomes kOutOfMemory.
// No other core file catches them, so no exception leaves the core API.
// `work` returns a value, a Result or nothing; the answer is a Result.
template <class Work>
auto GuardAllocation(Work&& work) ->
    typename allocation_detail::ResultOf<std::invoke_result_t<Work>>::Type {
  using Value = std::invoke_result_t<Work>;
  try {
    if constexpr (std::is_void_v<Value>) {
      std::forward<Work>(work)();
      return {};
    } else {
      return std::forward<Work>(work)();
    }
  } catch (const std::bad_alloc&) {
    return Status::kOutOfMemory;
  } catch (const std::length_error&) {
    return Status::kOutOfMemory;
  }
}

// `container` resized to `size` elements (new ones value-initialised), or
// kOutOfMemory with the container as it was.
template <class Container>
Result<void> Resize(Container& container, size_t size) {
  return GuardAllocation([&] { container.resize(size); });
}

}  // namespace quorel
