#include "keys/keyExplanation.hpp"

#include <array>
#include <cstdint>

#include "keys/keyNames.hpp"
#include "keys/terminalSequences.hpp"

namespace {

constexpr unsigned char firstPrintableByte = 0x20;
constexpr unsigned char deleteByte = 0x7F;
constexpr unsigned char firstNonAsciiByte = 0x80;
constexpr char hexDigits[] = "0123456789abcdef";

struct FlagName {
  std::uint32_t flag;
  std::string_view name;
};

// The control-key flags a record's fields show, in this order.
// clang-format off
constexpr auto flagNames = std::to_array<FlagName>({
    {enhancedKey,      "enhanced"},
    {leftCtrlPressed,  "left-ctrl"},
    {rightCtrlPressed, "right-ctrl"},
    {leftAltPressed,   "left-alt"},
    {rightAltPressed,  "right-alt"},
    {shiftPressed,     "shift"},
    {numLockOn,        "num-lock"},
    {capsLockOn,       "caps-lock"},
    {scrollLockOn,     "scroll-lock"},
});

// The bytes a quoted string writes as a letter after the backslash.
struct EscapedByte {
  unsigned char byte;
  std::string_view text;
};

constexpr auto escapedBytes = std::to_array<EscapedByte>({
    {0x1B, "\\e"},
    {'\r', "\\r"},
    {'\n', "\\n"},
    {'\t', "\\t"},
    {'\\', "\\\\"},
    {'"',  "\\\""},
});
// clang-format on

// The escape a quoted string writes for `byte`; empty when it has none.
std::string_view escapeOf(unsigned char byte) {
  for (const EscapedByte& escaped : escapedBytes) {
    if (escaped.byte == byte) {
      return escaped.text;
    }
  }
  return {};
}

void appendHexByte(std::string& text, unsigned char byte) {
  text += "\\x";
  text += hexDigits[byte >> 4];
  text += hexDigits[byte & 0x0F];
}

std::string hexBytes(std::string_view bytes) {
  std::string text;
  for (const char byte : bytes) {
    appendHexByte(text, static_cast<unsigned char>(byte));
  }
  return text;
}

// How many bytes a UTF-8 character takes, from its first byte; 0 for a byte
// that starts none.
std::size_t utf8Length(unsigned char first) {
  if (first >= 0xC2 && first <= 0xDF) {
    return 2;
  }
  if (first >= 0xE0 && first <= 0xEF) {
    return 3;
  }
  if (first >= 0xF0 && first <= 0xF4) {
    return 4;
  }
  return 0;
}

// The code point of `bytes` when they are exactly one well-formed UTF-8
// character of two bytes or more.
std::optional<std::uint32_t> singleCodePoint(std::string_view bytes) {
  if (bytes.empty()) {
    return std::nullopt;
  }
  const auto first = static_cast<unsigned char>(bytes[0]);
  const std::size_t length = utf8Length(first);
  if (length == 0 || length != bytes.size()) {
    return std::nullopt;
  }
  std::uint32_t codePoint = first & (0x7F >> length);
  for (std::size_t index = 1; index < length; ++index) {
    const auto next = static_cast<unsigned char>(bytes[index]);
    if ((next & 0xC0) != 0x80) {
      return std::nullopt;
    }
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  // The shortest form only, no surrogate, nothing above U+10FFFF.
  constexpr std::array<std::uint32_t, 5> smallest{0, 0, 0x80, 0x800, 0x10000};
  if (codePoint < smallest[length] || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) {
    return std::nullopt;
  }
  return codePoint;
}

// A character that a terminal shows: not a C1 control, and not one of the
// invisible marks that reorder or join the text around it.
bool isShownCharacter(std::uint32_t codePoint) {
  const bool c1Control = codePoint >= 0x80 && codePoint <= 0x9F;
  const bool formatMark = (codePoint >= 0x200B && codePoint <= 0x200F) ||
                          (codePoint >= 0x2028 && codePoint <= 0x202E) ||
                          (codePoint >= 0x2066 && codePoint <= 0x2069) || codePoint == 0xFEFF;
  return !c1Control && !formatMark;
}

// A character named by itself: as it is when the output takes UTF-8 and it
// is one printable character, else as its bytes.
std::string characterText(std::string_view characters, bool utf8Output) {
  if (characters.size() == 1) {
    const auto byte = static_cast<unsigned char>(characters[0]);
    if (byte >= firstPrintableByte && byte < deleteByte) {
      return std::string(characters);
    }
    return hexBytes(characters);
  }
  const auto codePoint = singleCodePoint(characters);
  if (utf8Output && codePoint && isShownCharacter(*codePoint)) {
    return std::string(characters);
  }
  return hexBytes(characters);
}

std::string modifierPrefix(std::uint32_t controlKeyState) {
  std::string prefix;
  if ((controlKeyState & ctrlPressed) != 0) {
    prefix += "Ctrl+";
  }
  if ((controlKeyState & altPressed) != 0) {
    prefix += "Alt+";
  }
  if ((controlKeyState & shiftPressed) != 0) {
    prefix += "Shift+";
  }
  return prefix;
}

}  // namespace

KeyDetails terminalKeyDetails(const KeyRecord& first, std::span<const KeyRecord> following, std::string_view bytes) {
  KeyDetails details{first, {}, std::string(bytes)};
  if (first.asciiChar != 0) {
    details.characters += static_cast<char>(first.asciiChar);
  }
  for (const KeyRecord& record : following) {
    if (record.asciiChar != 0) {
      details.characters += static_cast<char>(record.asciiChar);
    }
  }
  return details;
}

std::string keyNameText(const KeyDetails& details, bool utf8Output) {
  const KeyRecord& record = details.record;
  std::string characters = details.characters;
  if (characters.empty() && record.asciiChar != 0) {
    characters.assign(1, static_cast<char>(record.asciiChar));
  }
  if (!characters.empty() && static_cast<unsigned char>(characters[0]) >= firstNonAsciiByte) {
    // A character of another layout or code page: no US key types it.
    return characterText(characters, utf8Output);
  }
  std::uint16_t scanCode = record.scanCode;
  std::uint32_t flags = record.controlKeyState;
  if (scanCode == 0 && characters.size() == 1) {
    // A plain byte names no key: the key that types it on a US keyboard.
    if (const auto key = keyOfByte(static_cast<unsigned char>(characters[0]))) {
      scanCode = key->scanCode;
      flags |= key->flags;
    }
  }
  if (const auto name = keyNameOf(scanCode, (flags & enhancedKey) != 0)) {
    return modifierPrefix(flags) + std::string(*name);
  }
  if (!characters.empty()) {
    return characterText(characters, utf8Output);
  }
  return "unknown key";
}

std::string quotedBytes(std::string_view bytes) {
  std::string text = "\"";
  for (const char character : bytes) {
    const auto byte = static_cast<unsigned char>(character);
    if (const std::string_view escaped = escapeOf(byte); !escaped.empty()) {
      text += escaped;
    } else if (byte >= firstPrintableByte && byte < deleteByte) {
      text += character;
    } else {
      appendHexByte(text, byte);
    }
  }
  text += '"';
  return text;
}

std::string recordFieldsText(const KeyRecord& record) {
  const auto hexNumber = [](unsigned value) {
    std::string digits;
    do {
      digits.insert(digits.begin(), hexDigits[value & 0x0F]);
      value >>= 4;
    } while (value != 0);
    return (digits.size() < 2 ? "0x0" : "0x") + digits;
  };
  std::string text = "scan " + hexNumber(record.scanCode) + " vk " + hexNumber(record.virtualKeyCode);
  for (const FlagName& flag : flagNames) {
    if ((record.controlKeyState & flag.flag) != 0) {
      text += ' ';
      text += flag.name;
    }
  }
  return text;
}

std::string keyExplanation(const KeyDetails& details, bool utf8Output) {
  const std::string what = details.bytes ? quotedBytes(*details.bytes) : recordFieldsText(details.record);
  return keyNameText(details, utf8Output) + "  " + what;
}
