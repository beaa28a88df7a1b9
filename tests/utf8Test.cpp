// UTF-8 as the decoder, the key reports and --explain share it.

#include <gtest/gtest.h>

#include <string>

#include "keys/utf8.hpp"

namespace {

TEST(Utf8, EveryCodePointFromU80OnGoesThereAndBack) {
  for (char32_t codePoint = 0x80; codePoint <= 0x10FFFF; ++codePoint) {
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
      continue;
    }
    const std::string bytes = utf8Bytes(codePoint);
    const std::size_t expectedLength = codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
    ASSERT_EQ(bytes.size(), expectedLength) << std::hex << static_cast<unsigned>(codePoint);
    ASSERT_EQ(utf8CharacterLength(static_cast<unsigned char>(bytes[0])), expectedLength);
    ASSERT_EQ(singleCodePoint(bytes), codePoint) << std::hex << static_cast<unsigned>(codePoint);
  }
}

TEST(Utf8, MalformedBytesAreNoCharacter) {
  const char* const malformed[] = {
      "\xc0\x80",          // overlong NUL
      "\xc1\xbf",          // overlong DEL
      "\xe0\x9f\xbf",      // overlong three-byte form
      "\xf0\x8f\xbf\xbf",  // overlong four-byte form
      "\xed\xa0\x80",      // a surrogate
      "\xf4\x90\x80\x80",  // above U+10FFFF
      "\xf5\x80\x80\x80",  // a lead byte no character starts with
      "\xc3",              // cut off
      "\xc3\xa4\xa4",      // a byte too many
      "\xc3\x28",          // no continuation byte
      "\xa4",              // a continuation byte alone
      "a",                 // ASCII is a character of one byte
  };
  for (const char* bytes : malformed) {
    EXPECT_FALSE(singleCodePoint(bytes).has_value()) << bytes;
  }
  EXPECT_EQ(utf8Bytes(U'a'), "a");
}

}  // namespace
