#include "keys/keyReports.hpp"

#include <optional>

#include "keys/asciiBytes.hpp"
#include "keys/keyCodes.hpp"
#include "keys/keySequences.hpp"
#include "keys/usLayout.hpp"
#include "keys/utf8.hpp"

// What a reported key gives, in this order:
//
// - A key that types no character (Enter, Tab, the keypad, function and
//   modifier keys): the tables' pair or character for it, by its key number.
// - Text, when the report carries it, is what the key typed: AltGr's
//   characters come so, as a console delivers them. With Ctrl alone the
//   key's place comes first where the tables give it a code (below), so
//   that Ctrl works on every layout.
// - Ctrl or Alt without text: the tables by the key's place. With Ctrl
//   alone, the layout's key first, where the tables give it a character
//   with Ctrl (Ctrl+Z is 26 on every Latin layout); otherwise, and with Alt,
//   the base layout key, the US key at the same place, as a console looks a
//   key up by scan code (Alt+z on QWERTZ is Alt+Y there); without a base
//   layout key, the layout's key.
// - Otherwise the key typed its shifted key when Shift is held and that is
//   reported, else its key number: with Shift applied by the US layout only
//   for an ASCII key of the kitty protocol. Caps Lock makes a letter upper
//   case, and lower case with Shift.
// - A character of code point 128 or more gives its UTF-8 bytes. When the
//   tables have nothing for it with Ctrl or Alt either, it still gives them:
//   a key that typed a character is never dropped.

namespace {

constexpr char32_t lastC1Control = 0x9F;
constexpr char32_t firstSurrogate = 0xD800;
constexpr char32_t lastSurrogate = 0xDFFF;
constexpr char32_t lastCodePoint = 0x10FFFF;
constexpr char32_t caseDistance = 'a' - 'A';
// Latin-1's letters: À to Þ and à to þ, less × and ÷.
constexpr char32_t firstLatinCapital = 0xC0;
constexpr char32_t lastLatinCapital = 0xDE;
constexpr char32_t latinMultiplication = 0xD7;
constexpr char32_t latinDivision = 0xF7;

// A character a key may type: no control, no surrogate, a code point.
bool isCharacter(char32_t codePoint) {
  const bool control = codePoint < firstPrintableByte || (codePoint >= deleteByte && codePoint <= lastC1Control);
  const bool surrogate = codePoint >= firstSurrogate && codePoint <= lastSurrogate;
  return !control && !surrogate && codePoint <= lastCodePoint;
}

// A key number that names a character, not a functional key.
bool isCharacterKey(std::uint32_t number) {
  return isCharacter(number) && (number < firstFunctionalKeyNumber || number > lastFunctionalKeyNumber);
}

// The key of the US PC layout that types an ASCII character.
std::optional<PcKey> usKeyOf(char32_t codePoint) {
  if (!isCharacter(codePoint) || !isAscii(codePoint)) {
    return std::nullopt;
  }
  return keyOfCharacter(static_cast<unsigned char>(codePoint));
}

// The character an ASCII key gives with Shift on the US layout.
char32_t usShifted(char32_t codePoint) {
  const auto key = usKeyOf(codePoint);
  if (!key) {
    return codePoint;
  }
  const unsigned char shifted = characterOf(tablePairOf(key->scanCode, shiftPressed).value_or(KeyPair{0, 0}));
  return shifted != 0 ? shifted : codePoint;
}

bool isLowerLetter(char32_t codePoint) {
  return (codePoint >= 'a' && codePoint <= 'z') ||
         (codePoint >= firstLatinCapital + caseDistance && codePoint <= lastLatinCapital + caseDistance &&
          codePoint != latinDivision);
}

bool isUpperLetter(char32_t codePoint) {
  return (codePoint >= 'A' && codePoint <= 'Z') ||
         (codePoint >= firstLatinCapital && codePoint <= lastLatinCapital && codePoint != latinMultiplication);
}

// Caps Lock: upper case, or lower case while Shift is held.
char32_t withCapsLock(char32_t codePoint, bool shift) {
  if (shift && isUpperLetter(codePoint)) {
    return codePoint + caseDistance;
  }
  if (!shift && isLowerLetter(codePoint)) {
    return codePoint - caseDistance;
  }
  return codePoint;
}

// The text's characters; control characters in it type nothing.
std::u32string textCharacters(const std::u32string& text) {
  std::u32string characters;
  for (const char32_t codePoint : text) {
    if (isCharacter(codePoint)) {
      characters += codePoint;
    }
  }
  return characters;
}

// What the key typed when the report carries no text; nothing without a
// key number.
std::optional<char32_t> typedCharacter(const KeyReport& report) {
  if (!isCharacterKey(report.keyNumber)) {
    return std::nullopt;
  }
  const bool shift = (report.modifierBits & shiftBit) != 0;
  char32_t character = report.keyNumber;
  if (shift && isCharacter(report.shiftedKey)) {
    character = report.shiftedKey;
  } else if (shift && report.meaning == KeyNumberMeaning::unshiftedKey) {
    character = usShifted(character);
  }
  if ((report.modifierBits & capsLockBit) != 0) {
    character = withCapsLock(character, shift);
  }
  return character;
}

// What characters type, as the event of the first one's key: an ASCII
// character is named by the US key that types it, as a terminal's plain
// byte is; any other by its UTF-8 bytes alone.
KeyEvent textEvent(const std::u32string& characters) {
  KeyEvent event;
  event.text.emplace();
  for (const char32_t codePoint : characters) {
    if (const auto key = usKeyOf(codePoint)) {
      if (event.text->empty()) {
        event.scanCode = key->scanCode;
        event.controlKeyState = key->flags;
      }
      *event.text += static_cast<char>(codePoint);
    } else {
      *event.text += utf8Bytes(codePoint);
    }
  }
  return event;
}

// A key that types nothing with the modifiers held.
KeyEvent silentEvent(std::uint32_t flags) {
  KeyEvent event;
  event.controlKeyState = flags;
  event.text.emplace();
  return event;
}

// Ctrl or Alt with a character key: the tables' entry at the key's place.
// Nothing when the report names no place the tables know.
std::optional<KeyEvent> placedKeyEvent(const KeyReport& report, std::uint32_t flags) {
  const auto layoutKey = usKeyOf(isCharacterKey(report.keyNumber) ? report.keyNumber : 0);
  const auto baseKey = usKeyOf(report.baseLayoutKey);
  const bool ctrlOnly = (flags & ctrlPressed) != 0 && (flags & altPressed) == 0;
  if (ctrlOnly && layoutKey) {
    const KeyEvent event = keyEventOf(*layoutKey, flags);
    if (!codesOf(event).characters.empty()) {
      return event;
    }
  }
  if (baseKey) {
    return keyEventOf(*baseKey, flags);
  }
  if (layoutKey) {
    return keyEventOf(*layoutKey, flags);
  }
  return std::nullopt;
}

KeyEvent pressEvent(const KeyReport& report) {
  const std::uint32_t flags = modifierFlagsOf(report.modifierBits);
  if (report.keyNumber != 0 && !isCharacterKey(report.keyNumber)) {
    if (const auto key = keyOfKeyNumber(report.keyNumber)) {
      return keyEventOf(*key, flags);
    }
  }
  const std::u32string text = textCharacters(report.text);
  const bool ctrlOnly = (flags & ctrlPressed) != 0 && (flags & altPressed) == 0;
  if (!text.empty() && ctrlOnly) {
    // Ctrl acts on the key's place where the layout's key has no Ctrl code
    // of its own: Ctrl+ef on a Russian layout is Ctrl+A.
    if (const auto placed = placedKeyEvent(report, flags); placed && givesCode(*placed)) {
      return *placed;
    }
  }
  if (!text.empty()) {
    return textEvent(text);
  }
  const auto character = typedCharacter(report);
  const bool nationalCharacter = character && !isAscii(*character);
  if ((flags & (ctrlPressed | altPressed)) != 0) {
    const auto placed = placedKeyEvent(report, flags);
    if (placed && (givesCode(*placed) || !nationalCharacter)) {
      return *placed;
    }
    if (!nationalCharacter) {
      return silentEvent(flags);
    }
  }
  if (!character) {
    return silentEvent(flags);
  }
  return textEvent(std::u32string(1, *character));
}

}  // namespace

unsigned modifierBitsOf(int parameter) { return parameter < 1 ? 0U : static_cast<unsigned>(parameter - 1); }

std::uint32_t modifierFlagsOf(unsigned bits) {
  std::uint32_t flags = 0;
  if ((bits & shiftBit) != 0) {
    flags |= shiftPressed;
  }
  if ((bits & (altBit | superBit | metaBit)) != 0) {
    flags |= leftAltPressed;
  }
  if ((bits & ctrlBit) != 0) {
    flags |= leftCtrlPressed;
  }
  return flags;
}

KeyEvent eventOfReport(const KeyReport& report) {
  KeyEvent event = pressEvent(report);
  event.action = report.action;
  return event;
}
