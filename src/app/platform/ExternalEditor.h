// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <optional>

class QDialog;

namespace quorel {

// What tells a saved file from an untouched one: the modification time with
// its sub-second part, and the size.
struct FileStamp {
  int64_t modified_ns = 0;
  uint64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};
// None when the file cannot be examined.
std::optional<FileStamp> StampOf(const std::filesystem::path& path);

// Runs the events that arrive within `max_wait_ms`, so every window stays
// alive. True when the wait ended otherwise: the application was told to
// quit, or `main_window` (if given) ended.
bool PumpPendingMessages(int max_wait_ms, QDialog* main_window = nullptr);

enum class EditorOutcome { kSaved, kUnchanged, kNotStarted };

// Starts the editor with the file as its one argument (no shell: blanks in
// either path need no quoting) and waits for it while the event loop keeps
// running, so every window stays alive. The wait ends when the editor exits,
// when the application is asked to quit, or when `main_window` (if given)
// ends; an editor still running then keeps running. kSaved when the file's
// stamp changed meanwhile.
EditorOutcome RunEditor(const QString& editor, const std::filesystem::path& file,
                        QDialog* main_window = nullptr);

}  // namespace quorel
