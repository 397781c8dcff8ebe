// Quorel — SPDX-License-Identifier: MIT
#include "codec/Base64.h"
#include <gtest/gtest.h>
#include "support/DataUrl.h"

namespace quorel {
namespace {

// RFC 4648's vectors; a long text has no line breaks, so an independent decoder gives back every byte.
TEST(Base64Test, RfcVectorsPaddingAndLongInput) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"}, {"\xFB\xFF", "+/8="} /* the alphabet's last two */, {{"\0\0\0", 3}, "AAAA"},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(EncodeBase64(std::vector<uint8_t>(text.begin(), text.end())).value(), expected);
  }
  std::vector<uint8_t> bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37);
  EXPECT_EQ(test::DecodeBase64(EncodeBase64(bytes).value()), bytes);
}

}  // namespace
}  // namespace quorel
