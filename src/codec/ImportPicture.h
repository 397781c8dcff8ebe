// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "codec/Decoded.h"
#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// The formats a picture file is read as.
enum class PictureKind { kNone, kBmp, kGif, kJpeg, kPng, kHeif, kWebp };

// The format a path names, judged by the first letter after the last "." of
// the whole path, of any case, folder names and either separator included
// ("C:\my.pictures\scan" is judged by its "p"): b → BMP, g → GIF, j → JPEG,
// p → PNG; kNone for any other path.
PictureKind PictureKindOf(const std::filesystem::path& path);

// The phone formats a file's first bytes show, whatever its name: kHeif,
// kWebp, else kNone.
PictureKind PhotoKindOf(std::span<const uint8_t> head);

// The format a file is read as: a phone format by its content (phones and
// messengers name them freely, .jpg included), every other by its name.
PictureKind PictureKindOfFile(const std::filesystem::path& path);

// Whether this build reads HEIF and WebP (the web edition does not).
bool ReadsHeif();
bool ReadsWebp();

// The file read by the reader of its PictureKindOfFile; kNoPictureExtension
// for kNone, kUnsupported for a phone format this build does not read, else
// the reader's status or its picture.
Result<Decoded> ReadPictureFile(const std::filesystem::path& path);

// The same over a file's bytes already in memory (a page's file, a pasted
// picture), read as `kind`: the same pictures and statuses as from the file,
// kTooLarge beyond the size a file may have.
Result<Decoded> ReadPictureBytes(std::span<const uint8_t> bytes, PictureKind kind);

}  // namespace quorel
