#include "keys/keyExplanation.hpp"

#include <cstdint>

#include "keys/asciiBytes.hpp"
#include "keys/keyCodes.hpp"
#include "keys/keyNames.hpp"
#include "keys/shownText.hpp"
#include "keys/usLayout.hpp"

namespace {

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

KeyDetails keyDetailsOf(const KeyEvent& event) { return {event, codesOf(event).characters}; }

std::optional<KeyDetails> keyDetailsOf(const std::optional<KeyEvent>& event) {
  if (!event) {
    return std::nullopt;
  }
  return keyDetailsOf(*event);
}

std::string keyNameText(const KeyDetails& details, bool utf8Output) {
  const KeyEvent& event = details.event;
  const std::string& characters = details.characters;
  if (!characters.empty() && static_cast<unsigned char>(characters[0]) >= firstNonAsciiByte) {
    // A character of another layout or code page: no US key types it. Alt
    // with it (not AltGr, which a console reports as Ctrl+Alt) is named.
    const bool altAlone = (event.controlKeyState & altPressed) != 0 && (event.controlKeyState & ctrlPressed) == 0;
    return (altAlone ? "Alt+" : "") + shownText(characters, utf8Output);
  }
  std::uint16_t scanCode = event.scanCode;
  std::uint32_t flags = event.controlKeyState;
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
    return shownText(characters, utf8Output);
  }
  return "unknown key";
}

std::string quotedBytes(std::string_view bytes) {
  std::string text = "\"";
  for (const char character : bytes) {
    const auto byte = static_cast<unsigned char>(character);
    if (const std::string_view escaped = escapeOf(byte); !escaped.empty()) {
      text += escaped;
    } else if (isPrintableAscii(byte)) {
      text += character;
    } else {
      appendHexByte(text, byte);
    }
  }
  text += '"';
  return text;
}

std::string recordFieldsText(const KeyEvent& record) {
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
  const std::string what = details.event.bytes ? quotedBytes(*details.event.bytes) : recordFieldsText(details.event);
  return keyNameText(details, utf8Output) + "  " + what;
}
