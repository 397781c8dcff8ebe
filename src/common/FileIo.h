// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace quorel {

// Replaces `path` with `bytes` so that a crash leaves either the old file or the
// new one, never a half-written one: a temporary file in the same folder is
// written, flushed to disk and renamed over the old name. A missing folder is
// created. Returns false (and leaves the old file untouched) on any failure.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes);

// Creates or truncates `path` and writes `bytes`; false when the file cannot be
// opened or the write is short.
bool WriteFileInPlace(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace quorel
