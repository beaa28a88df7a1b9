#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// UTF-8 as terminals send characters and the tool names them: the
// well-formed characters only, no overlong form, no surrogate, nothing above
// U+10FFFF.

// How many bytes the character that `lead` starts takes: 2 to 4, or 0 when
// it starts none of two bytes or more (ASCII, a continuation byte, a byte no
// character begins with).
std::size_t utf8CharacterLength(unsigned char lead);

// Whether `byte` may stand at `index` (1 to 3) of a character that `lead`
// starts: a continuation byte, the second one narrowed after E0, ED, F0 and
// F4.
bool fitsUtf8Character(unsigned char lead, std::size_t index, unsigned char byte);

// The code point of `bytes` when they are exactly one well-formed character
// of two bytes or more.
std::optional<char32_t> singleCodePoint(std::string_view bytes);

// The bytes of a code point (up to U+10FFFF).
std::string utf8Bytes(char32_t codePoint);
