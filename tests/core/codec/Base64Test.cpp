// Quorel — SPDX-License-Identifier: MIT
#include "codec/Base64.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace quorel {
namespace {

std::optional<std::string> Encode(std::string_view text) {
  return EncodeBase64(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

TEST(Base64Test, RfcVectorsAndPadding) {
  struct Case {
    std::string_view bytes, expected;
  };
  const Case cases[] = {
      {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
      {"GIF87a", "R0lGODdh"},            // every tag's text starts like this
      {"\xFB\xFF", "+/8="},              // the two last letters of the alphabet
      {std::string_view("\0\0\0", 3), "AAAA"},
  };
  for (const Case& c : cases) EXPECT_EQ(Encode(c.bytes), c.expected) << c.bytes;
}

TEST(Base64Test, LongInputHasNoLineBreaksAndTheExactLength) {
  std::vector<uint8_t> bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37);
  const auto text = EncodeBase64(bytes);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->size(), 4 * ((1000 + 2) / 3));
  EXPECT_EQ(text->find_first_not_of(
                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
            std::string::npos);
  EXPECT_EQ(text->substr(text->size() - 2), "==");  // 1000 = 3 × 333 + 1
}

}  // namespace
}  // namespace quorel
