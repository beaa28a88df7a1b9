#include "keys/shownText.hpp"

#include "keys/utf8.hpp"

namespace {

constexpr unsigned char firstPrintableByte = 0x20;
constexpr unsigned char deleteByte = 0x7F;
constexpr char hexDigits[] = "0123456789abcdef";

// A character a terminal shows as such: not a C1 control, and not one of
// the invisible marks that reorder or join the text around it.
bool isShownCharacter(char32_t codePoint) {
  const bool c1Control = codePoint >= 0x80 && codePoint <= 0x9F;
  const bool formatMark = (codePoint >= 0x200B && codePoint <= 0x200F) ||
                          (codePoint >= 0x2028 && codePoint <= 0x202E) ||
                          (codePoint >= 0x2066 && codePoint <= 0x2069) || codePoint == 0xFEFF;
  return !c1Control && !formatMark;
}

void appendHexBytes(std::string& text, std::string_view bytes) {
  for (const char character : bytes) {
    const auto byte = static_cast<unsigned char>(character);
    text += "\\x";
    text += hexDigits[byte >> 4];
    text += hexDigits[byte & 0x0F];
  }
}

// The length of the well-formed UTF-8 character at the start of `bytes`, 0
// when none starts there.
std::size_t characterLengthAt(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  const std::size_t length = utf8CharacterLength(lead);
  if (length == 0 || length > bytes.size()) {
    return 0;
  }
  for (std::size_t index = 1; index < length; ++index) {
    if (!fitsUtf8Character(lead, index, static_cast<unsigned char>(bytes[index]))) {
      return 0;
    }
  }
  return length;
}

}  // namespace

std::string shownText(std::string_view bytes, bool utf8Output) {
  std::string text;
  while (!bytes.empty()) {
    const auto byte = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 1;
    if (byte >= firstPrintableByte && byte < deleteByte) {
      text += bytes[0];
    } else if (const std::size_t character = utf8Output ? characterLengthAt(bytes) : 0; character > 0) {
      length = character;
      const std::string_view bytesOfCharacter = bytes.substr(0, length);
      if (isShownCharacter(*singleCodePoint(bytesOfCharacter))) {
        text += bytesOfCharacter;
      } else {
        appendHexBytes(text, bytesOfCharacter);
      }
    } else {
      appendHexBytes(text, bytes.substr(0, 1));
    }
    bytes.remove_prefix(length);
  }
  return text;
}
