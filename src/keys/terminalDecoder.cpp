#include "keys/terminalDecoder.hpp"

#include <algorithm>
#include <optional>
#include <vector>

#include "keys/keyReader.hpp"
#include "keys/keyTables.hpp"
#include "keys/terminalSequences.hpp"

// How the bytes are split into keys:
//
// - A byte other than ESC, NUL and DEL is a key with that byte as its
//   character; a UTF-8 character therefore gives one key per byte. NUL is
//   Ctrl+2, DEL is the Backspace key.
// - ESC starts a sequence: CSI (ESC [), SS3 (ESC O) or a string (ESC ], P,
//   _, ^, X) ended by BEL or ST (ESC \). ESC before any other key's bytes,
//   a sequence's included, is that key with Alt. ESC before a byte of 0x80
//   or more is the Escape key alone; the byte is the next key.
// - A sequence that a byte outside its grammar interrupts (a control byte, a
//   byte of 0x80 or more, ESC) ends before that byte, which starts the next
//   key: the bytes before it are skipped, or, when only the introducer came,
//   they are Alt and the introducer's key (ESC [ CR is Alt+[ then Enter).
//   A string interrupted so is taken the same way, as Alt and its introducer:
//   a terminal sends strings whole, so it was typed.
// - Once input has paused, an unfinished sequence is decided on the bytes
//   held: ESC alone is the Escape key, ESC and an introducer alone are Alt
//   and the introducer's key, an unfinished string is Alt and its introducer,
//   any other unfinished sequence is skipped.
// - CSI and SS3 sequences longer than maxSequenceLength and strings longer
//   than maxStringLength are cut there, so that nothing waits forever.

namespace {

constexpr unsigned char escapeByte = 0x1B;
constexpr unsigned char nulByte = 0x00;
constexpr unsigned char deleteKeyByte = 0x7F;
constexpr unsigned char bellByte = 0x07;
constexpr unsigned char firstNonAsciiByte = 0x80;
constexpr std::size_t introducerLength = 2;
constexpr std::size_t maxSequenceLength = 64;
constexpr std::size_t maxStringLength = 4096;
// CSI M and three bytes: button, column and row.
constexpr std::size_t x10MouseLength = 6;
// CSI [ and one byte.
constexpr std::size_t linuxFunctionLength = 4;
constexpr int noParameter = -1;
// Larger numbers are held at this value; no key needs more.
constexpr int parameterLimit = 1'000'000;
// xterm's modifyOtherKeys form: CSI 27 ; modifiers ; key ~.
constexpr int modifyOtherKeysNumber = 27;
// The kitty keyboard protocol's event types.
constexpr int releaseEvent = 3;
// The bits of a modifier parameter, less 1.
constexpr unsigned shiftBit = 1;
constexpr unsigned altBit = 2;
constexpr unsigned ctrlBit = 4;
constexpr unsigned metaBit = 8;
constexpr unsigned kittyMetaBit = 32;
// The lead codes of two-code keys.
constexpr unsigned char extendedLead = 0;
constexpr unsigned char enhancedLead = 224;

bool isParameterByte(unsigned char byte) { return byte >= 0x30 && byte <= 0x3F; }
bool isIntermediateByte(unsigned char byte) { return byte >= 0x20 && byte <= 0x2F; }
bool isFinalByte(unsigned char byte) { return byte >= 0x40 && byte <= 0x7E; }
bool isDigit(unsigned char byte) { return byte >= '0' && byte <= '9'; }
bool isStringIntroducer(unsigned char byte) {
  return byte == ']' || byte == 'P' || byte == '_' || byte == '^' || byte == 'X';
}

DecodeResult keyResult(const KeyRecord& record, std::size_t length) { return {DecodeStatus::key, length, record}; }
DecodeResult skippedResult(std::size_t length) { return {DecodeStatus::skipped, length, KeyRecord{}}; }
DecodeResult needMoreResult() { return {DecodeStatus::needMore, 0, KeyRecord{}}; }

// ---------------------------------------------------------------- records

// The character a key gives in the record's modifier state, when the tables'
// pair for that state is a character (a pair with lead 0 or 224 is not).
unsigned char tableCharacter(std::uint16_t scanCode, std::uint32_t controlKeyState) {
  const KeyPair pair = tablePairOf(scanCode, controlKeyState).value_or(KeyPair{0, 0});
  const bool isCharacter = pair.lead != extendedLead && pair.lead != enhancedLead;
  return isCharacter ? pair.lead : 0;
}

// The record of a key pressed (or released) with `modifiers` held. It
// carries the character the key gives in that state, as a console's record
// does; keys that give none are left to the tables by scan code and flags.
KeyRecord keyRecordOf(const TerminalKey& key, std::uint32_t modifiers, bool keyDown = true) {
  KeyRecord record;
  record.keyDown = keyDown;
  record.scanCode = key.scanCode;
  record.controlKeyState = key.flags | modifiers;
  const bool anyModifier = (record.controlKeyState & (altPressed | ctrlPressed | shiftPressed)) != 0;
  record.asciiChar = key.text != 0 && !anyModifier ? key.text : tableCharacter(record.scanCode, record.controlKeyState);
  return record;
}

KeyRecord withAlt(const KeyRecord& record) {
  KeyRecord altered = record;
  altered.controlKeyState |= leftAltPressed;
  altered.asciiChar = tableCharacter(altered.scanCode, altered.controlKeyState);
  return altered;
}

KeyRecord characterRecord(unsigned char byte) {
  KeyRecord record;
  record.asciiChar = byte;
  return record;
}

KeyRecord escapeKeyRecord() { return keyRecordOf(keyOfByte(escapeByte).value_or(TerminalKey{}), 0); }

// The key whose bytes are ESC and `byte`: the key of that byte with Alt.
KeyRecord altKeyRecordOf(unsigned char byte) {
  return keyRecordOf(keyOfByte(byte).value_or(TerminalKey{}), leftAltPressed);
}

// The modifier parameter is 1 plus Shift 1, Alt 2, Ctrl 4 and Meta 8 (the
// kitty keyboard protocol's Super); kitty's Meta 32 counts as Alt as well.
// Hyper and the lock states change nothing on a console.
std::uint32_t modifierFlagsOf(int parameter) {
  if (parameter < 1) {
    return 0;
  }
  const auto bits = static_cast<unsigned>(parameter - 1);
  std::uint32_t flags = 0;
  if ((bits & shiftBit) != 0) {
    flags |= shiftPressed;
  }
  if ((bits & (altBit | metaBit | kittyMetaBit)) != 0) {
    flags |= leftAltPressed;
  }
  if ((bits & ctrlBit) != 0) {
    flags |= leftCtrlPressed;
  }
  return flags;
}

bool isKeyDownEvent(int event) { return event != releaseEvent; }

// ------------------------------------------------------------- parameters

// The parameter fields of a sequence, split at ';', each split into
// sub-fields at ':'; noParameter where a field is empty.
using Parameters = std::vector<std::vector<int>>;

std::optional<Parameters> parseParameters(std::string_view bytes) {
  Parameters fields;
  if (bytes.empty()) {
    return fields;
  }
  fields.push_back({noParameter});
  for (const char character : bytes) {
    const auto byte = static_cast<unsigned char>(character);
    int& value = fields.back().back();
    if (isDigit(byte)) {
      value = std::min(parameterLimit, (value == noParameter ? 0 : value) * 10 + (byte - '0'));
    } else if (byte == ';') {
      fields.push_back({noParameter});
    } else if (byte == ':') {
      fields.back().push_back(noParameter);
    } else {
      return std::nullopt;
    }
  }
  return fields;
}

int parameterAt(const Parameters& fields, std::size_t field, std::size_t subField = 0) {
  if (field >= fields.size() || subField >= fields[field].size()) {
    return noParameter;
  }
  return fields[field][subField];
}

// ------------------------------------------------------------- sequences

enum class ScanState : std::uint8_t { complete, unfinished, interrupted, tooLong };

// How far a sequence goes: through its final byte when complete, up to the
// interrupting byte when interrupted, the limit when too long.
struct Scan {
  ScanState state;
  std::size_t length;
};

// The parameter, intermediate and final bytes of a CSI or SS3 sequence from
// `start`. rxvt ends its Shift forms with '$' (CSI 2$), an intermediate
// byte: after a bare number it ends the sequence.
Scan scanControlSequence(std::string_view bytes, std::size_t start, bool allowIntermediates) {
  bool inIntermediates = false;
  bool onlyDigits = true;
  for (std::size_t index = start; index < bytes.size(); ++index) {
    if (index >= maxSequenceLength) {
      return {ScanState::tooLong, maxSequenceLength};
    }
    const auto byte = static_cast<unsigned char>(bytes[index]);
    if (!inIntermediates && isParameterByte(byte)) {
      onlyDigits = onlyDigits && isDigit(byte);
      continue;
    }
    if (byte == '$' && allowIntermediates && !inIntermediates && index > start && onlyDigits) {
      return {ScanState::complete, index + 1};
    }
    if (allowIntermediates && isIntermediateByte(byte)) {
      inIntermediates = true;
      continue;
    }
    if (isFinalByte(byte)) {
      return {ScanState::complete, index + 1};
    }
    return {ScanState::interrupted, index};
  }
  if (bytes.size() >= maxSequenceLength) {
    return {ScanState::tooLong, maxSequenceLength};
  }
  return {ScanState::unfinished, bytes.size()};
}

Scan scanCsi(std::string_view bytes, TerminalFamily family) {
  if (bytes.size() == introducerLength) {
    return {ScanState::unfinished, bytes.size()};
  }
  const auto first = static_cast<unsigned char>(bytes[introducerLength]);
  if (first == '[') {
    // The Linux console's F1 to F5: CSI [ and one letter.
    if (bytes.size() < linuxFunctionLength) {
      return {ScanState::unfinished, bytes.size()};
    }
    const auto final = static_cast<unsigned char>(bytes[linuxFunctionLength - 1]);
    return isFinalByte(final) ? Scan{ScanState::complete, linuxFunctionLength}
                              : Scan{ScanState::interrupted, linuxFunctionLength - 1};
  }
  if (first == 'M' && family != TerminalFamily::st) {
    // An X10 mouse report: its three bytes can be any bytes. In st, CSI M
    // is Ctrl+Delete.
    if (bytes.size() < x10MouseLength) {
      return {ScanState::unfinished, bytes.size()};
    }
    return {ScanState::complete, x10MouseLength};
  }
  return scanControlSequence(bytes, introducerLength, true);
}

Scan scanString(std::string_view bytes) {
  for (std::size_t index = introducerLength; index < bytes.size(); ++index) {
    if (index >= maxStringLength) {
      return {ScanState::tooLong, maxStringLength};
    }
    const auto byte = static_cast<unsigned char>(bytes[index]);
    if (byte == bellByte) {
      return {ScanState::complete, index + 1};
    }
    if (byte == escapeByte) {
      if (index + 1 == bytes.size()) {
        return {ScanState::unfinished, bytes.size()};
      }
      if (bytes[index + 1] == '\\') {
        return {ScanState::complete, index + 2};
      }
      return {ScanState::interrupted, index};
    }
    if (byte < ' ') {
      return {ScanState::interrupted, index};
    }
  }
  return {ScanState::unfinished, bytes.size()};
}

// ---------------------------------------------------- sequence meanings

// CSI 27 ; m ; k ~ and CSI k ; m : event ; text u: a key named by its
// character or key number.
KeyRecord keyNumberRecord(const Parameters& fields, int keyNumber, int modifiers, int event) {
  const std::uint32_t flags = modifierFlagsOf(modifiers);
  const bool keyDown = isKeyDownEvent(event);
  std::optional<TerminalKey> key;
  if (keyNumber > 0) {
    key = keyOfKeyNumber(static_cast<std::uint32_t>(keyNumber));
  }
  // A key of another layout: the key at its place on a US keyboard, given
  // as the base layout key, or else the key of the text it types.
  const int baseLayoutKey = parameterAt(fields, 0, 2);
  if (!key && baseLayoutKey > 0) {
    key = keyOfKeyNumber(static_cast<std::uint32_t>(baseLayoutKey));
  }
  const int text = parameterAt(fields, 2);
  if (!key && text > 0 && parameterAt(fields, 2, 1) == noParameter) {
    key = keyOfKeyNumber(static_cast<std::uint32_t>(text));
  }
  return keyRecordOf(key.value_or(TerminalKey{}), flags, keyDown);
}

std::optional<KeyRecord> tildeRecord(const Parameters& fields, unsigned char final) {
  const int number = parameterAt(fields, 0);
  if (final != '~') {
    // rxvt: CSI n $ is Shift, CSI n ^ Ctrl, CSI n @ Ctrl+Shift.
    if (fields.size() != 1 || fields[0].size() != 1) {
      return std::nullopt;
    }
    const std::uint32_t flags = final == '$'   ? shiftPressed
                                : final == '^' ? leftCtrlPressed
                                               : leftCtrlPressed | shiftPressed;
    const auto key = keyOfTildeNumber(number);
    return key ? std::optional{keyRecordOf(*key, flags)} : std::nullopt;
  }
  if (number == modifyOtherKeysNumber && fields.size() >= 3) {
    return keyNumberRecord({}, parameterAt(fields, 2), parameterAt(fields, 1), noParameter);
  }
  const auto key = number >= static_cast<int>(firstFunctionalKeyNumber)
                       ? keyOfKeyNumber(static_cast<std::uint32_t>(number))
                       : keyOfTildeNumber(number);
  if (!key) {
    return std::nullopt;
  }
  return keyRecordOf(*key, modifierFlagsOf(parameterAt(fields, 1)), isKeyDownEvent(parameterAt(fields, 1, 1)));
}

// CSI X, CSI 1;m X, SS3 X, SS3 m X and SS3 1;m X.
std::optional<KeyRecord> finalRecord(const Parameters& fields, unsigned char final, SequenceForm form) {
  const auto key = keyOfFinal(final, form);
  if (!key) {
    return std::nullopt;
  }
  if (fields.empty()) {
    return keyRecordOf(*key, 0);
  }
  if (form == SequenceForm::ss3 && fields.size() == 1) {
    return keyRecordOf(*key, modifierFlagsOf(parameterAt(fields, 0)));
  }
  // The first parameter is 1 or empty, the second holds the modifiers and
  // the event type. A cursor position report (CSI row;column R) has the
  // same form for row 1; the tool never asks for one, so CSI 1;m R is F3.
  const int first = parameterAt(fields, 0);
  if (fields.size() > 2 || fields[0].size() != 1 || (first != 1 && first != noParameter)) {
    return std::nullopt;
  }
  return keyRecordOf(*key, modifierFlagsOf(parameterAt(fields, 1)), isKeyDownEvent(parameterAt(fields, 1, 1)));
}

std::optional<KeyRecord> csiRecord(std::string_view sequence, TerminalFamily family) {
  const auto first = static_cast<unsigned char>(sequence[introducerLength]);
  const auto final = static_cast<unsigned char>(sequence.back());
  if (first == '[') {
    const auto key = keyOfLinuxFunctionFinal(final);
    return key ? std::optional{keyRecordOf(*key, 0)} : std::nullopt;
  }
  if (first == 'M' && family != TerminalFamily::st) {
    return std::nullopt;
  }
  const std::string_view body = sequence.substr(introducerLength, sequence.size() - introducerLength - 1);
  if (family == TerminalFamily::st) {
    if (const auto key = keyOfStSequence(body, final)) {
      return keyRecordOf(*key, 0);
    }
  }
  // Private parameters (mouse reports, device attributes, the kitty flags
  // answer) and intermediate bytes mark reports, not keys.
  const auto fields = parseParameters(body);
  if (!fields) {
    return std::nullopt;
  }
  switch (final) {
    case '~':
    case '$':
    case '^':
    case '@':
      return tildeRecord(*fields, final);
    case 'u':
      return keyNumberRecord(*fields, parameterAt(*fields, 0), parameterAt(*fields, 1), parameterAt(*fields, 1, 1));
    default:
      return finalRecord(*fields, final, SequenceForm::csi);
  }
}

std::optional<KeyRecord> ss3Record(std::string_view sequence) {
  const auto final = static_cast<unsigned char>(sequence.back());
  const auto fields = parseParameters(sequence.substr(introducerLength, sequence.size() - introducerLength - 1));
  if (!fields) {
    return std::nullopt;
  }
  return finalRecord(*fields, final, SequenceForm::ss3);
}

// The result for a CSI or SS3 sequence, or nothing when ESC and its
// introducer are no sequence (so they are Alt and the introducer's key).
std::optional<DecodeResult> controlSequenceResult(std::string_view bytes, Scan scan, bool inputPaused,
                                                  const std::optional<KeyRecord>& record) {
  switch (scan.state) {
    case ScanState::complete:
      return record ? keyResult(*record, scan.length) : skippedResult(scan.length);
    case ScanState::unfinished:
      if (!inputPaused) {
        return needMoreResult();
      }
      if (bytes.size() == introducerLength) {
        return std::nullopt;
      }
      return skippedResult(bytes.size());
    case ScanState::interrupted:
      if (scan.length == introducerLength) {
        return std::nullopt;
      }
      return skippedResult(scan.length);
    case ScanState::tooLong:
      return skippedResult(scan.length);
  }
  return std::nullopt;
}

// What ESC and the bytes after it are when they form a sequence; nothing
// when they do not (ESC and a key, or a sequence cut short after its
// introducer). `bytes` holds at least ESC and one more byte.
std::optional<DecodeResult> decodeSequence(std::string_view bytes, TerminalFamily family, bool inputPaused) {
  const auto introducer = static_cast<unsigned char>(bytes[1]);
  if (introducer == '[') {
    const Scan scan = scanCsi(bytes, family);
    const auto record =
        scan.state == ScanState::complete ? csiRecord(bytes.substr(0, scan.length), family) : std::nullopt;
    return controlSequenceResult(bytes, scan, inputPaused, record);
  }
  if (introducer == 'O') {
    const Scan scan = scanControlSequence(bytes, introducerLength, false);
    const auto record = scan.state == ScanState::complete ? ss3Record(bytes.substr(0, scan.length)) : std::nullopt;
    return controlSequenceResult(bytes, scan, inputPaused, record);
  }
  if (isStringIntroducer(introducer)) {
    const Scan scan = scanString(bytes);
    if (scan.state == ScanState::complete) {
      return skippedResult(scan.length);
    }
    if (scan.state == ScanState::unfinished && !inputPaused) {
      return needMoreResult();
    }
  }
  return std::nullopt;
}

// ESC ESC ...: the key after the first ESC, with Alt. The second ESC may
// start a sequence (ESC ESC [ A is Alt+Up) or be the Escape key itself.
DecodeResult decodeAltEscape(std::string_view bytes, TerminalFamily family, bool inputPaused) {
  const std::string_view rest = bytes.substr(1);
  constexpr std::size_t altEscapeLength = 2;
  if (rest.size() == 1) {
    return inputPaused ? keyResult(withAlt(escapeKeyRecord()), altEscapeLength) : needMoreResult();
  }
  const auto inner = decodeSequence(rest, family, inputPaused);
  if (!inner) {
    return keyResult(withAlt(escapeKeyRecord()), altEscapeLength);
  }
  if (inner->status == DecodeStatus::key) {
    return keyResult(withAlt(inner->record), inner->length + 1);
  }
  if (inner->status == DecodeStatus::skipped) {
    // A report after an ESC: that ESC was the Escape key.
    return keyResult(escapeKeyRecord(), 1);
  }
  return *inner;
}

DecodeResult decodeEscape(std::string_view bytes, TerminalFamily family, bool inputPaused) {
  if (bytes.size() == 1) {
    return inputPaused ? keyResult(escapeKeyRecord(), 1) : needMoreResult();
  }
  const auto second = static_cast<unsigned char>(bytes[1]);
  if (second == escapeByte) {
    return decodeAltEscape(bytes, family, inputPaused);
  }
  if (const auto sequence = decodeSequence(bytes, family, inputPaused)) {
    return *sequence;
  }
  if (second >= firstNonAsciiByte) {
    // No Alt form for a byte of another character: the Escape key alone.
    return keyResult(escapeKeyRecord(), 1);
  }
  return keyResult(altKeyRecordOf(second), introducerLength);
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

TerminalFamily terminalFamilyOf(std::string_view termName) {
  if (startsWith(termName, "rxvt")) {
    return TerminalFamily::rxvt;
  }
  if (startsWith(termName, "linux")) {
    return TerminalFamily::linuxConsole;
  }
  // st and Debian's name for it, stterm; not st52 and the like.
  if (termName == "st" || startsWith(termName, "st-") || termName == "stterm" || startsWith(termName, "stterm-")) {
    return TerminalFamily::st;
  }
  return TerminalFamily::xterm;
}

DecodeResult decodeKey(std::string_view bytes, TerminalFamily family, bool inputPaused) {
  if (bytes.empty()) {
    return needMoreResult();
  }
  const auto first = static_cast<unsigned char>(bytes[0]);
  if (first == nulByte || first == deleteKeyByte) {
    // NUL is Ctrl+2. DEL is what terminals send for Backspace, which a
    // console reports as 8 (and Ctrl+Backspace as 127).
    return keyResult(keyRecordOf(keyOfByte(first).value_or(TerminalKey{}), 0), 1);
  }
  if (first != escapeByte) {
    return keyResult(characterRecord(first), 1);
  }
  return decodeEscape(bytes, family, inputPaused);
}
