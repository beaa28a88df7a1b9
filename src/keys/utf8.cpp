#include "keys/utf8.hpp"

namespace {

constexpr unsigned continuationBits = 6;
constexpr unsigned char continuationMask = 0x3F;
constexpr unsigned char continuationMark = 0x80;
constexpr char32_t twoByteLimit = 0x800;
constexpr char32_t threeByteLimit = 0x10000;

bool isContinuationByte(unsigned char byte) { return byte >= 0x80 && byte <= 0xBF; }

}  // namespace

std::size_t utf8CharacterLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    return 4;
  }
  return 0;
}

bool fitsUtf8Character(unsigned char lead, std::size_t index, unsigned char byte) {
  if (index != 1) {
    return isContinuationByte(byte);
  }
  // The second byte rules out the overlong forms after E0 and F0, the
  // surrogates after ED and code points above U+10FFFF after F4.
  switch (lead) {
    case 0xE0:
      return byte >= 0xA0 && byte <= 0xBF;
    case 0xED:
      return byte >= 0x80 && byte <= 0x9F;
    case 0xF0:
      return byte >= 0x90 && byte <= 0xBF;
    case 0xF4:
      return byte >= 0x80 && byte <= 0x8F;
    default:
      return isContinuationByte(byte);
  }
}

std::optional<char32_t> singleCodePoint(std::string_view bytes) {
  if (bytes.empty()) {
    return std::nullopt;
  }
  const auto lead = static_cast<unsigned char>(bytes[0]);
  const std::size_t length = utf8CharacterLength(lead);
  if (length == 0 || length != bytes.size()) {
    return std::nullopt;
  }
  // The lead byte's payload is what its length marker leaves.
  char32_t codePoint = lead & (0x7FU >> length);
  for (std::size_t index = 1; index < length; ++index) {
    const auto byte = static_cast<unsigned char>(bytes[index]);
    if (!fitsUtf8Character(lead, index, byte)) {
      return std::nullopt;
    }
    codePoint = (codePoint << continuationBits) | (byte & continuationMask);
  }
  return codePoint;
}

std::string utf8Bytes(char32_t codePoint) {
  std::string bytes;
  if (codePoint < continuationMark) {
    bytes += static_cast<char>(codePoint);
    return bytes;
  }
  std::size_t length = 4;
  unsigned char leadMark = 0xF0;
  if (codePoint < twoByteLimit) {
    length = 2;
    leadMark = 0xC0;
  } else if (codePoint < threeByteLimit) {
    length = 3;
    leadMark = 0xE0;
  }
  bytes += static_cast<char>(leadMark | (codePoint >> (continuationBits * (length - 1))));
  for (std::size_t index = length - 1; index > 0; --index) {
    bytes += static_cast<char>(continuationMark | ((codePoint >> (continuationBits * (index - 1))) & continuationMask));
  }
  return bytes;
}
