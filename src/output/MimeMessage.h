// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "common/Result.h"
#include "common/Text.h"
#include "output/Mark.h"

namespace quorel {

// What sets one message apart from another: when it was made and a token
// unique to it (letters and digits), from which its Message-ID and the
// pictures' Content-IDs are made.
struct MessageStamp {
  std::time_t date = 0;
  std::string token;
};

// A stamp for a message made now, its token drawn at random.
MessageStamp NewMessageStamp();

inline constexpr std::string_view kDefaultSubject = "Quorel";

// The mark as an RFC 5322 message without recipients, marked unsent (so mail
// programs open it to be sent on), lines ending in CRLF:
//   multipart/related
//     multipart/alternative
//       text/plain  (each picture's alt text or name, one a line)
//       text/html   (the block, its pictures as cid: URLs)
//     image/gif or image/png per picture, Content-ID <signature.TOKEN@quorel.invalid>
// Every part is base64 in lines of 76 (the block is one line, which may pass
// the 998 characters a mail line may have). A subject that is not short
// printable ASCII is written as RFC 2047 encoded words; it is cut to
// kMaxSubjectCharacters. kOutOfMemory when it cannot be put together whole.
Result<Text> MimeMessage(const Mark& mark, std::string_view subject, const MessageStamp& stamp);

inline constexpr size_t kMaxSubjectCharacters = 200;

}  // namespace quorel
