// Quorel — SPDX-License-Identifier: MIT
#include "output/MimeMessage.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <random>

#include "codec/Base64.h"
#include "output/ExportFiles.h"
#include "output/HtmlText.h"
#include "output/Snippet.h"

namespace quorel {
namespace {

constexpr std::string_view kCrlf = "\r\n";
// NOTE: "=_" never occurs in base64, and every part is base64, so neither
// boundary can appear inside a part.
constexpr std::string_view kRelated = "=_quorel_related";
constexpr std::string_view kAlternative = "=_quorel_alternative";
constexpr std::string_view kDomain = "quorel.invalid";  // RFC 2606: never a real host
constexpr size_t kBase64Line = 76;

std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Base64 in lines of kBase64Line characters, each ended by CRLF, onto `out`.
Result<void> AppendBase64Lines(std::span<const uint8_t> bytes, Text& out) {
  const Text flat = QUOREL_TRY(EncodeBase64(bytes));
  const std::string_view text = flat;
  QUOREL_TRY(out.MakeRoom(text.size() + (text.size() / kBase64Line + 1) * kCrlf.size()));
  for (size_t i = 0; i < text.size(); i += kBase64Line) QUOREL_TRY(out.Append(text.substr(i, kBase64Line), kCrlf));
  return {};
}

// RFC 5322 date-time in UTC: "Mon, 07 Dec 2026 07:49:44 +0000".
std::string DateText(std::time_t date) {
  std::tm utc{};
  gmtime_r(&date, &utc);
  char text[40];
  std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S +0000", &utc);
  return text;
}

// The Subject field's value: as it is when short printable ASCII, otherwise
// RFC 2047 "B" encoded words of whole characters (at most 45 bytes each, so a
// word stays within 75 characters), one a folded line.
Result<std::string> SubjectText(std::string_view subject) {
  std::u32string characters = DecodeUtf8(subject);
  if (characters.size() > kMaxSubjectCharacters) characters.resize(kMaxSubjectCharacters);
  for (char32_t& c : characters) {
    if (c < 0x20 || c == 0x7F) c = ' ';  // a field is one line
  }
  const bool plain = characters.size() <= 60 && std::all_of(characters.begin(), characters.end(),
                                                            [](char32_t c) { return c < 0x7F; });
  if (plain) return EncodeUtf8(characters);
  std::string out;
  std::string word;
  const auto flush = [&]() -> Result<void> {
    if (!out.empty()) out += "\r\n ";
    const Text encoded = QUOREL_TRY(EncodeBase64(AsBytes(word)));
    out.append("=?UTF-8?B?").append(encoded).append("?=");
    word.clear();
    return {};
  };
  for (const char32_t c : characters) {
    const std::string bytes = EncodeUtf8(std::u32string(1, c));
    if (word.size() + bytes.size() > 45) QUOREL_TRY(flush());
    word += bytes;
  }
  if (!word.empty() || out.empty()) QUOREL_TRY(flush());
  return out;
}

std::string ContentId(PanelIndex index, const MessageStamp& stamp) {
  return std::string(index == PanelIndex::kSignature ? "signature." : "seal.") + stamp.token + "@" +
         std::string(kDomain);
}

std::string Header(std::string_view name, std::string_view value) {
  return std::string(name) + ": " + std::string(value) + std::string(kCrlf);
}

Result<void> AppendTextPart(std::string_view type, std::string_view text, Text& out) {
  QUOREL_TRY(out.Append(Header("Content-Type", std::string(type) + "; charset=utf-8"),
                        Header("Content-Transfer-Encoding", "base64"), kCrlf));
  return AppendBase64Lines(AsBytes(text), out);
}

Result<Text> Message(const Mark& mark, std::string_view subject, const MessageStamp& stamp) {
  const Text snippet = QUOREL_TRY(SnippetWith(mark, [&stamp](PanelIndex index, const MarkImage&, Text& html) {
    return html.Append("cid:", ContentId(index, stamp));
  }));
  Text html;
  QUOREL_TRY(html.Append("<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"></head><body>", snippet,
                         "</body></html>\r\n"));
  std::string plain;
  for (const PanelIndex index : kPanelIndexes) {
    const auto& image = mark.images[static_cast<size_t>(index)];
    if (!image) continue;
    plain += image->alt.empty() ? (index == PanelIndex::kSignature ? "[signature]" : "[seal]")
                                : EncodeUtf8(DecodeUtf8(image->alt).substr(0, kMaxAltCharacters));
    plain += kCrlf;
  }

  // The headers and parts but the pictures are small: they are put together
  // as a string, the pictures' Base64 onto the Text.
  std::string m;
  m += Header("MIME-Version", "1.0");
  m += Header("Date", DateText(stamp.date));
  m += Header("From", "Quorel <quorel@" + std::string(kDomain) + ">");
  m += Header("Subject", QUOREL_TRY(SubjectText(subject)));
  m += Header("Message-ID", "<" + stamp.token + "@" + std::string(kDomain) + ">");
  m += Header("Content-Type", "multipart/related; type=\"multipart/alternative\";\r\n boundary=\"" +
                                  std::string(kRelated) + "\"");
  m += kCrlf;
  m += "--" + std::string(kRelated) + std::string(kCrlf);
  m += Header("Content-Type", "multipart/alternative; boundary=\"" + std::string(kAlternative) + "\"");
  m += kCrlf;
  m += "--" + std::string(kAlternative) + std::string(kCrlf);
  Text message;
  QUOREL_TRY(message.Append(m));
  QUOREL_TRY(AppendTextPart("text/plain", plain, message));
  QUOREL_TRY(message.Append("--", kAlternative, kCrlf));
  QUOREL_TRY(AppendTextPart("text/html", html, message));
  QUOREL_TRY(message.Append("--", kAlternative, "--", kCrlf));
  for (const PanelIndex index : kPanelIndexes) {
    const auto& image = mark.images[static_cast<size_t>(index)];
    if (!image) continue;
    const std::string name = PictureFileName(index, image->format);
    QUOREL_TRY(message.Append(
        "--", kRelated, kCrlf,
        Header("Content-Type", std::string(image->format == OutputFormat::kPng ? "image/png" : "image/gif") +
                                   "; name=\"" + name + "\""),
        Header("Content-Transfer-Encoding", "base64"), Header("Content-ID", "<" + ContentId(index, stamp) + ">"),
        Header("Content-Disposition", "inline; filename=\"" + name + "\""), kCrlf));
    QUOREL_TRY(AppendBase64Lines(image->bytes, message));
  }
  QUOREL_TRY(message.Append("--", kRelated, "--", kCrlf));
  return message;
}

}  // namespace

MessageStamp NewMessageStamp() {
  std::random_device random;
  const std::time_t now = std::time(nullptr);
  char token[48];
  std::snprintf(token, sizeof token, "%llx.%08x%08x", static_cast<unsigned long long>(now), random(), random());
  return {now, token};
}

Result<Text> MimeMessage(const Mark& mark, std::string_view subject, const MessageStamp& stamp) {
  return Message(mark, subject, stamp);
}

}  // namespace quorel
