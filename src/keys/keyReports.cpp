#include "keys/keyReports.hpp"

#include <optional>

#include "keys/keyReader.hpp"
#include "keys/keyTables.hpp"
#include "keys/terminalSequences.hpp"
#include "keys/utf8.hpp"

// What a reported key gives, in this order:
//
// - A key that types no character (Enter, Tab, the keypad, function and
//   modifier keys): the tables' pair or character for it, by its key number.
// - Text, when the report carries it, is what the key typed, whatever the
//   modifiers: AltGr's characters come so, as a console delivers them.
// - Ctrl or Alt without text: the tables by the key's place. Ctrl and a
//   character take the layout's key (Ctrl+Z is 26 on every layout); a pair
//   takes the base layout key, the US key at the same place, as a console
//   looks it up by scan code (Alt+z on QWERTZ is Alt+Y there).
// - Otherwise the key typed its shifted key when Shift is held and that is
//   reported, else its key number: with Shift applied by the US layout only
//   for an ASCII key of the kitty protocol. Caps Lock makes a letter upper
//   case, and lower case with Shift.
// - A character of code point 128 or more gives its UTF-8 bytes. When the
//   tables have nothing for it with Ctrl or Alt either, it still gives them:
//   a key that typed a character is never dropped.

namespace {

constexpr char32_t firstPrintable = 0x20;
constexpr char32_t deleteCharacter = 0x7F;
constexpr char32_t firstNonAscii = 0x80;
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
  const bool control = codePoint < firstPrintable || (codePoint >= deleteCharacter && codePoint <= lastC1Control);
  const bool surrogate = codePoint >= firstSurrogate && codePoint <= lastSurrogate;
  return !control && !surrogate && codePoint <= lastCodePoint;
}

// A key number that names a character, not a functional key.
bool isCharacterKey(std::uint32_t number) {
  return isCharacter(number) && (number < firstFunctionalKeyNumber || number > lastFunctionalKeyNumber);
}

bool isAscii(char32_t codePoint) { return codePoint < firstNonAscii; }

// The key of the US PC layout that types an ASCII character.
std::optional<TerminalKey> usKeyOf(char32_t codePoint) {
  if (!isCharacter(codePoint) || !isAscii(codePoint)) {
    return std::nullopt;
  }
  return keyOfKeyNumber(codePoint);
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

KeyRecord characterRecord(unsigned char byte, std::uint16_t scanCode = 0, std::uint32_t flags = 0) {
  KeyRecord record;
  record.asciiChar = byte;
  record.scanCode = scanCode;
  record.controlKeyState = flags;
  return record;
}

// An ASCII character as the US key that types it, as a terminal's plain
// byte; any other character as its UTF-8 bytes.
void appendCharacterRecords(std::vector<KeyRecord>& records, char32_t codePoint) {
  if (const auto key = usKeyOf(codePoint)) {
    records.push_back(characterRecord(static_cast<unsigned char>(codePoint), key->scanCode, key->flags));
    return;
  }
  for (const char byte : utf8Bytes(codePoint)) {
    records.push_back(characterRecord(static_cast<unsigned char>(byte)));
  }
}

std::vector<KeyRecord> characterRecords(const std::u32string& characters) {
  std::vector<KeyRecord> records;
  for (const char32_t codePoint : characters) {
    appendCharacterRecords(records, codePoint);
  }
  return records;
}

// Ctrl or Alt with a character key: the tables' entry at the key's place.
// Nothing when the report names no place the tables know.
std::optional<KeyRecord> placedKeyRecord(const KeyReport& report, std::uint32_t flags) {
  const auto layoutKey = usKeyOf(isCharacterKey(report.keyNumber) ? report.keyNumber : 0);
  const auto baseKey = usKeyOf(report.baseLayoutKey);
  const bool ctrlOnly = (flags & ctrlPressed) != 0 && (flags & altPressed) == 0;
  if (ctrlOnly && layoutKey) {
    const KeyRecord record = keyRecordOf(*layoutKey, flags, true);
    if (record.asciiChar != 0) {
      return record;
    }
  }
  if (baseKey) {
    return keyRecordOf(*baseKey, flags, true);
  }
  if (layoutKey) {
    return keyRecordOf(*layoutKey, flags, true);
  }
  return std::nullopt;
}

std::vector<KeyRecord> pressRecords(const KeyReport& report) {
  const std::uint32_t flags = modifierFlagsOf(report.modifierBits);
  if (report.keyNumber != 0 && !isCharacterKey(report.keyNumber)) {
    if (const auto key = keyOfKeyNumber(report.keyNumber)) {
      return {keyRecordOf(*key, flags, true)};
    }
  }
  const std::u32string text = textCharacters(report.text);
  if (!text.empty()) {
    return characterRecords(text);
  }
  const auto character = typedCharacter(report);
  const bool nationalCharacter = character && !isAscii(*character);
  if ((flags & (ctrlPressed | altPressed)) != 0) {
    const auto placed = placedKeyRecord(report, flags);
    if (placed && (givesCode(*placed) || !nationalCharacter)) {
      return {*placed};
    }
    if (!nationalCharacter) {
      return {keyRecordOf(TerminalKey{}, flags, true)};
    }
  }
  if (!character) {
    return {keyRecordOf(TerminalKey{}, flags, true)};
  }
  return characterRecords(std::u32string(1, *character));
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

std::vector<KeyRecord> recordsOfReport(const KeyReport& report) {
  std::vector<KeyRecord> records = pressRecords(report);
  if (!report.keyDown) {
    // A release types nothing: one key-up record for the key.
    records.resize(1);
    records.front().keyDown = false;
  }
  return records;
}
