// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>

#include "common/Status.h"

namespace quorel {

// The texts of the window's messages that depend on the case: each names the
// file, says what happened and what the user can do about it.

// A picture file that was not taken (read by the import readers with
// `status`); the panel keeps the picture it had.
QString PictureRefusedText(const QString& path, Status status);

// A file that could not be written; `error_number` is errno after the write.
// The old file, if there was one, is left as it was.
QString FileNotWrittenText(const QString& path, int error_number);

// An output whose picture tag could not be made (kSignatureFailed or
// kSealFailed); `has_picture` says whether that panel holds a picture at all.
QString TagFailedText(Status status, bool has_picture, const QString& work_folder);

// A clean-up found no ink in the signature's (or the seal's) picture: its
// tag is a transparent picture.
QString NoInkText(bool signature);

// The offer after a photo came into the signature's (or the seal's) panel:
// the other panel takes its mark from the same photo; `replaces`: in place of
// the picture it holds.
QString SharedPhotoQuestion(bool into_signature, bool replaces);
inline constexpr const char* kNeverAskAgainText = "今後は確認しない";

// Above this the copy asks first: many editors choke on such a paste.
inline constexpr size_t kLargeClipboardBytes = 1000000;
QString LargeClipboardQuestion(size_t bytes);

// The question before an output replaces an existing file.
QString ReplaceFileQuestion(const QString& path);
// The question before an export replaces files of `names` in `folder`.
QString ReplaceFilesQuestion(const QString& folder, const QStringList& names);

// The picture copy's question past kLargeClipboardBytes.
QString LargePictureQuestion(size_t bytes);

// A base URL the exports cannot use: not http(s), or with blanks or quotes.
QString BaseUrlRefusedText(const QString& url);

}  // namespace quorel
