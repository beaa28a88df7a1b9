#include "keys/terminalDecoder.hpp"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "keys/asciiBytes.hpp"
#include "keys/keyReports.hpp"
#include "keys/keySequences.hpp"
#include "keys/scanCodes.hpp"
#include "keys/usLayout.hpp"
#include "keys/utf8.hpp"

// How the bytes are split into keys:
//
// - A byte other than ESC, NUL and DEL is a key with that byte as its
//   character. NUL is Ctrl+2, DEL is the Backspace key.
// - The bytes of one UTF-8 character are one key that typed them all, so
//   each byte keeps its own code. A character cut off at the end
//   waits for its rest as ESC does; bytes that form no UTF-8 character
//   (another code page's, a broken sequence) are a key each.
// - ESC starts a sequence: CSI (ESC [), SS3 (ESC O) or a string (ESC ], P,
//   _, ^, X) ended by BEL or ST (ESC \). ESC before any other key's bytes,
//   a sequence's included, is that key with Alt. ESC before a UTF-8
//   character is Alt and that character; before any other byte of 0x80 or
//   more it is the Escape key alone, and the byte is the next key.
// - A sequence that a byte outside its grammar interrupts (a control byte, a
//   byte of 0x80 or more, ESC) ends before that byte, which starts the next
//   key: the bytes before it are skipped, or, when only the introducer came,
//   they are Alt and the introducer's key (ESC [ CR is Alt+[ then Enter).
//   A string interrupted so is taken the same way, as Alt and its introducer:
//   a terminal sends strings whole, so it was typed.
// - The answers to the keyboard query (CSI ? flags u, CSI ? ... c) are
//   events of their own; any other report is skipped.
// - Once input has paused, an unfinished sequence is decided on the bytes
//   held: ESC alone is the Escape key, ESC and an introducer alone are Alt
//   and the introducer's key, an unfinished string is Alt and its introducer,
//   any other unfinished sequence is skipped.
// - CSI and SS3 sequences longer than maxSequenceLength and strings longer
//   than maxStringLength are skipped from there to their end as their bytes
//   arrive, so that nothing waits forever and nothing is held: no key comes
//   of them.

namespace {

constexpr std::size_t introducerLength = 2;
constexpr std::size_t maxSequenceLength = 64;
constexpr std::size_t maxStringLength = 4096;
// CSI M and three bytes: button, column and row.
constexpr std::size_t x10MouseLength = 6;
// CSI [ and one byte.
constexpr std::size_t linuxFunctionLength = 4;
constexpr int noParameter = -1;
// Larger numbers are held at this value: the first number past the last
// Unicode code point, so that no larger one passes for a character.
constexpr int parameterLimit = 0x110000;
constexpr int lastCodePoint = 0x10FFFF;
constexpr unsigned char backspaceByte = 0x08;
// The 8-bit form of CSI.
constexpr unsigned char eightBitCsi = 0x9B;
// The resource number of modifyOtherKeys in xterm's CSI > resource ; value m.
constexpr int modifyOtherKeysResource = 4;
// xterm's modifier parameters: 1 plus Shift 1, Alt 2, Ctrl 4 and Meta 8.
constexpr int lowestModifierParameter = 2;
constexpr int highestModifierParameter = 16;
constexpr int firstSurrogate = 0xD800;
constexpr int lastSurrogate = 0xDFFF;
// xterm's modifyOtherKeys form: CSI 27 ; modifiers ; key ~.
constexpr int modifyOtherKeysNumber = 27;
// The kitty keyboard protocol's event types.
constexpr int releaseEvent = 3;

bool isParameterByte(unsigned char byte) { return byte >= 0x30 && byte <= 0x3F; }
bool isIntermediateByte(unsigned char byte) { return byte >= 0x20 && byte <= 0x2F; }
bool isFinalByte(unsigned char byte) { return byte >= 0x40 && byte <= 0x7E; }
bool isDigit(unsigned char byte) { return byte >= '0' && byte <= '9'; }
bool isStringIntroducer(unsigned char byte) {
  return byte == ']' || byte == 'P' || byte == '_' || byte == '^' || byte == 'X';
}

// The terminal as the decoder reads it: its family's quirks, and what the
// number of a CSI u report means.
struct Terminal {
  const TerminalFamilyRow& family;
  KeyReporting reporting;
};

// A key as the bytes name it: the key, the modifiers held, press, repeat or
// release; or a key report, which names the key and what it typed in fields
// of its own; or an answer to the keyboard query. Its event is made once,
// when the whole key is known, so an Alt prefix only adds to the modifiers.
struct SequenceKey {
  PcKey key;
  std::uint32_t modifiers = 0;
  KeyAction action = KeyAction::press;
  std::optional<KeyReport> report = std::nullopt;
  EventType eventType = EventType::key;
  // A character of two bytes or more that the key typed, where no key of the
  // tables types it.
  std::string typed{};
  // An answer's value.
  int answerValue{};
};

// What the bytes at the start are, before the key is made an event.
struct Scanned {
  DecodeStatus status = DecodeStatus::needMore;
  std::size_t length = 0;
  SequenceKey key;
  SequenceRest rest = SequenceRest::none;
};

Scanned keyScanned(const SequenceKey& key, std::size_t length) { return {DecodeStatus::key, length, key}; }
Scanned skippedScanned(std::size_t length) { return {DecodeStatus::skipped, length, SequenceKey{}}; }
Scanned needMoreScanned() { return {DecodeStatus::needMore, 0, SequenceKey{}}; }
Scanned cutScanned(std::size_t length, SequenceRest rest) {
  return {DecodeStatus::skipped, length, SequenceKey{}, rest};
}

SequenceKey withAlt(SequenceKey key) {
  key.modifiers |= leftAltPressed;
  if (key.report) {
    key.report->modifierBits |= altBit;
  }
  return key;
}

// A byte that is a character of its own: no key of the tables, the byte as
// what it typed.
SequenceKey characterKey(unsigned char byte) { return {PcKey{0, 0, byte}}; }

SequenceKey byteKey(unsigned char byte, std::uint32_t modifiers = 0) {
  return {keyOfByte(byte).value_or(PcKey{}), modifiers};
}

SequenceKey escapeKey() { return byteKey(escapeByte); }

// An answer to the keyboard query, with the value it reports.
struct Answer {
  EventType type;
  int value = 0;
};

SequenceKey answerKey(Answer answer) {
  SequenceKey key;
  key.eventType = answer.type;
  key.answerValue = answer.value;
  return key;
}

// The modifier parameter is 1 plus the modifier bits (keyReports.hpp).
std::uint32_t flagsOfParameter(int parameter) { return modifierFlagsOf(modifierBitsOf(parameter)); }

// The kitty keyboard protocol's event types.
constexpr int repeatEvent = 2;

KeyAction actionOf(int event) {
  return event == releaseEvent ? KeyAction::release : event == repeatEvent ? KeyAction::repeat : KeyAction::press;
}

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

Scan scanCsi(std::string_view bytes, const TerminalFamilyRow& family) {
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
  if (first == 'M' && family.x10MouseReports) {
    // An X10 mouse report: its three bytes can be any bytes.
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

SequenceKey reportKey(const KeyReport& report) { return {PcKey{}, 0, report.action, report}; }

std::uint32_t numberOrNone(int parameter) { return parameter > 0 ? static_cast<std::uint32_t>(parameter) : 0; }

// The kitty keyboard protocol's CSI code:shifted:base ; modifiers:event ;
// text u, any field missing, the text's code points joined by ':'; and
// modifyOtherKeys' CSI character ; modifiers u (tmux, xterm's
// formatOtherKeys).
// A number a key report may name a key or a character by: no surrogate and
// nothing past the last code point.
bool isCodePoint(int number) { return number <= lastCodePoint && (number < firstSurrogate || number > lastSurrogate); }

std::optional<SequenceKey> csiUEvent(const Parameters& fields, KeyNumberMeaning meaning) {
  const std::vector<int> noText;
  const std::vector<int>& text = fields.size() > 2 ? fields[2] : noText;
  const bool wellFormed =
      std::ranges::all_of(fields.empty() ? noText : fields[0], isCodePoint) && std::ranges::all_of(text, isCodePoint);
  if (!wellFormed) {
    return std::nullopt;
  }
  KeyReport report;
  report.keyNumber = numberOrNone(parameterAt(fields, 0));
  report.shiftedKey = numberOrNone(parameterAt(fields, 0, 1));
  report.baseLayoutKey = numberOrNone(parameterAt(fields, 0, 2));
  report.modifierBits = modifierBitsOf(parameterAt(fields, 1));
  report.action = actionOf(parameterAt(fields, 1, 1));
  for (const int codePoint : text) {
    if (codePoint > 0) {
      report.text += static_cast<char32_t>(codePoint);
    }
  }
  report.meaning = meaning;
  return reportKey(report);
}

// xterm's modifyOtherKeys: CSI 27 ; modifiers ; character ~, the character
// with Shift already applied.
std::optional<SequenceKey> modifyOtherKeysEvent(const Parameters& fields) {
  if (!isCodePoint(parameterAt(fields, 2))) {
    return std::nullopt;
  }
  KeyReport report;
  report.keyNumber = numberOrNone(parameterAt(fields, 2));
  report.modifierBits = modifierBitsOf(parameterAt(fields, 1));
  report.meaning = KeyNumberMeaning::typedCharacter;
  return reportKey(report);
}

// CSI n ~ with its modifiers, xterm's modifyOtherKeys form CSI 27 ; m ; k ~,
// and rxvt's CSI n $, CSI n ^ and CSI n @: a key named by a number.
std::optional<SequenceKey> numberedKeyEvent(const Parameters& fields, unsigned char final) {
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
    return key ? std::optional{SequenceKey{*key, flags}} : std::nullopt;
  }
  if (number == modifyOtherKeysNumber && fields.size() >= 3) {
    return modifyOtherKeysEvent(fields);
  }
  const auto key = number >= static_cast<int>(firstFunctionalKeyNumber)
                       ? keyOfKeyNumber(static_cast<std::uint32_t>(number))
                       : keyOfTildeNumber(number);
  if (!key) {
    return std::nullopt;
  }
  return SequenceKey{*key, flagsOfParameter(parameterAt(fields, 1)), actionOf(parameterAt(fields, 1, 1))};
}

// CSI X, CSI 1;m X, SS3 X, SS3 m X and SS3 1;m X.
std::optional<SequenceKey> finalKeyEvent(const Parameters& fields, unsigned char final, SequenceForm form) {
  const auto key = keyOfFinal(final, form);
  if (!key) {
    return std::nullopt;
  }
  if (fields.empty()) {
    return SequenceKey{*key};
  }
  if (form == SequenceForm::ss3 && fields.size() == 1) {
    return SequenceKey{*key, flagsOfParameter(parameterAt(fields, 0))};
  }
  // Some terminals leave the 1 out: CSI 2 D is Shift+Left, CSI 5 A Ctrl+Up.
  // Only xterm's modifier values count (2 to 16: Shift, Alt, Ctrl, Meta),
  // so that a long run of digits is still no key.
  const int first = parameterAt(fields, 0);
  if (form == SequenceForm::csi && fields.size() == 1 && fields[0].size() == 1 && first >= lowestModifierParameter &&
      first <= highestModifierParameter) {
    return SequenceKey{*key, flagsOfParameter(first)};
  }
  // The first parameter is 1 or empty, the second holds the modifiers and
  // the event type. A cursor position report (CSI row;column R) has the
  // same form for row 1; the tool never asks for one, so CSI 1;m R is F3.
  if (fields.size() > 2 || fields[0].size() != 1 || (first != 1 && first != noParameter)) {
    return std::nullopt;
  }
  return SequenceKey{*key, flagsOfParameter(parameterAt(fields, 1)), actionOf(parameterAt(fields, 1, 1))};
}

// The answers to the keyboard query, with digits and ';' only between the
// private marker and the final byte: CSI ? flags u, CSI > 4 ; level m
// (xterm's modifyOtherKeys) and CSI ? attributes c.
std::optional<Answer> answerOf(std::string_view body, unsigned char final) {
  if (body.empty()) {
    return std::nullopt;
  }
  const bool wellFormed = std::all_of(
      body.begin() + 1, body.end(), [](char byte) { return isDigit(static_cast<unsigned char>(byte)) || byte == ';'; });
  if (!wellFormed) {
    return std::nullopt;
  }
  if (body.front() == '?' && final == 'u') {
    return Answer{EventType::keyboardFlagsAnswer};
  }
  if (body.front() == '?' && final == 'c') {
    return Answer{EventType::deviceAttributesAnswer};
  }
  const auto fields = parseParameters(body.substr(1));
  if (body.front() == '>' && final == 'm' && fields && parameterAt(*fields, 0) == modifyOtherKeysResource) {
    return Answer{EventType::modifyOtherKeysAnswer, std::max(0, parameterAt(*fields, 1))};
  }
  return std::nullopt;
}

std::optional<SequenceKey> csiKeyEvent(std::string_view sequence, Terminal terminal) {
  const TerminalFamilyRow& family = terminal.family;
  const auto first = static_cast<unsigned char>(sequence[introducerLength]);
  const auto final = static_cast<unsigned char>(sequence.back());
  if (first == '[') {
    const auto key = keyOfLinuxFunctionFinal(final);
    return key ? std::optional{SequenceKey{*key}} : std::nullopt;
  }
  if (first == 'M' && family.x10MouseReports) {
    return std::nullopt;
  }
  const std::string_view body = sequence.substr(introducerLength, sequence.size() - introducerLength - 1);
  if (family.editingFunctionsAreKeys) {
    if (const auto key = keyOfStSequence(body, final)) {
      return SequenceKey{*key};
    }
  }
  if (const auto answer = answerOf(body, final)) {
    return answerKey(*answer);
  }
  // Other private parameters (mouse reports, mode reports) and intermediate
  // bytes mark reports, not keys.
  const auto fields = parseParameters(body);
  if (!fields) {
    return std::nullopt;
  }
  switch (final) {
    case '~':
    case '$':
    case '^':
    case '@':
      return numberedKeyEvent(*fields, final);
    case 'u':
      return csiUEvent(*fields, terminal.reporting.keyNumbers);
    default:
      return finalKeyEvent(*fields, final, SequenceForm::csi);
  }
}

std::optional<SequenceKey> ss3KeyEvent(std::string_view sequence) {
  const auto final = static_cast<unsigned char>(sequence.back());
  const auto fields = parseParameters(sequence.substr(introducerLength, sequence.size() - introducerLength - 1));
  if (!fields) {
    return std::nullopt;
  }
  return finalKeyEvent(*fields, final, SequenceForm::ss3);
}

// The result for a CSI or SS3 sequence, or nothing when ESC and its
// introducer are no sequence (so they are Alt and the introducer's key).
std::optional<Scanned> controlSequenceResult(std::string_view bytes, Scan scan, bool inputPaused,
                                             const std::optional<SequenceKey>& event) {
  switch (scan.state) {
    case ScanState::complete:
      return event ? keyScanned(*event, scan.length) : skippedScanned(scan.length);
    case ScanState::unfinished:
      if (!inputPaused) {
        return needMoreScanned();
      }
      if (bytes.size() == introducerLength) {
        return std::nullopt;
      }
      return skippedScanned(bytes.size());
    case ScanState::interrupted:
      if (scan.length == introducerLength) {
        return std::nullopt;
      }
      return skippedScanned(scan.length);
    case ScanState::tooLong:
      return cutScanned(scan.length, SequenceRest::controlSequence);
  }
  return std::nullopt;
}

// What ESC and the bytes after it are when they form a sequence; nothing
// when they do not (ESC and a key, or a sequence cut short after its
// introducer). `bytes` holds at least ESC and one more byte.
std::optional<Scanned> decodeSequence(std::string_view bytes, Terminal terminal, bool inputPaused) {
  const auto introducer = static_cast<unsigned char>(bytes[1]);
  if (introducer == '[') {
    const Scan scan = scanCsi(bytes, terminal.family);
    const auto event =
        scan.state == ScanState::complete ? csiKeyEvent(bytes.substr(0, scan.length), terminal) : std::nullopt;
    return controlSequenceResult(bytes, scan, inputPaused, event);
  }
  if (introducer == 'O') {
    const Scan scan = scanControlSequence(bytes, introducerLength, false);
    const auto event = scan.state == ScanState::complete ? ss3KeyEvent(bytes.substr(0, scan.length)) : std::nullopt;
    return controlSequenceResult(bytes, scan, inputPaused, event);
  }
  if (isStringIntroducer(introducer)) {
    const Scan scan = scanString(bytes);
    if (scan.state == ScanState::complete) {
      return skippedScanned(scan.length);
    }
    if (scan.state == ScanState::tooLong) {
      return cutScanned(scan.length, SequenceRest::string);
    }
    if (scan.state == ScanState::unfinished && !inputPaused) {
      return needMoreScanned();
    }
  }
  return std::nullopt;
}

// ESC ESC ...: the key after the first ESC, with Alt. The second ESC may
// start a sequence (ESC ESC [ A is Alt+Up) or be the Escape key itself.
Scanned decodeAltEscape(std::string_view bytes, Terminal terminal, bool inputPaused) {
  const std::string_view rest = bytes.substr(1);
  constexpr std::size_t altEscapeLength = 2;
  if (rest.size() == 1) {
    return inputPaused ? keyScanned(withAlt(escapeKey()), altEscapeLength) : needMoreScanned();
  }
  const auto inner = decodeSequence(rest, terminal, inputPaused);
  if (!inner) {
    return keyScanned(withAlt(escapeKey()), altEscapeLength);
  }
  const bool report = inner->status == DecodeStatus::skipped ||
                      (inner->status == DecodeStatus::key && inner->key.eventType != EventType::key);
  if (inner->status == DecodeStatus::key && !report) {
    return keyScanned(withAlt(inner->key), inner->length + 1);
  }
  if (report) {
    // A report after an ESC: that ESC was the Escape key.
    return keyScanned(escapeKey(), 1);
  }
  return *inner;
}

// ESC and a UTF-8 character: Alt with a key of another layout (konsole,
// urxvt and VTE send Alt+ä so). The bytes do not say where the key sits,
// so it gives the character's bytes, as the key reports of the same key
// do. ESC before a byte that starts no whole character is the Escape key
// alone.
Scanned decodeAltCharacter(std::string_view bytes, bool inputPaused) {
  const std::string_view rest = bytes.substr(1);
  const auto lead = static_cast<unsigned char>(rest[0]);
  const std::size_t length = utf8CharacterLength(lead);
  for (std::size_t index = 1; index < length && index < rest.size(); ++index) {
    if (!fitsUtf8Character(lead, index, static_cast<unsigned char>(rest[index]))) {
      return keyScanned(escapeKey(), 1);
    }
  }
  if (length == 0 || (rest.size() < length && inputPaused)) {
    return keyScanned(escapeKey(), 1);
  }
  if (rest.size() < length) {
    return needMoreScanned();
  }
  SequenceKey key;
  key.modifiers = leftAltPressed;
  key.typed = std::string(rest.substr(0, length));
  return keyScanned(key, 1 + length);
}

Scanned decodeEscape(std::string_view bytes, Terminal terminal, bool inputPaused) {
  if (bytes.size() == 1) {
    return inputPaused ? keyScanned(escapeKey(), 1) : needMoreScanned();
  }
  const auto second = static_cast<unsigned char>(bytes[1]);
  if (second == escapeByte) {
    return decodeAltEscape(bytes, terminal, inputPaused);
  }
  if (const auto sequence = decodeSequence(bytes, terminal, inputPaused)) {
    return *sequence;
  }
  if (second >= firstNonAsciiByte) {
    return decodeAltCharacter(bytes, inputPaused);
  }
  // The key of that byte with Alt.
  return keyScanned(byteKey(second, leftAltPressed), introducerLength);
}

// 0x9B, CSI in its 8-bit form: terminals answer the keyboard query so when
// set to 8-bit controls. Only an answer is taken so; otherwise the byte is
// a key of its own, as before a pause.
Scanned decodeEightBitAnswer(std::string_view bytes, bool inputPaused) {
  constexpr std::size_t eightBitIntroducerLength = 1;
  const Scan scan = bytes.size() == eightBitIntroducerLength
                        ? Scan{ScanState::unfinished, bytes.size()}
                        : scanControlSequence(bytes, eightBitIntroducerLength, true);
  if (scan.state == ScanState::unfinished && !inputPaused) {
    return needMoreScanned();
  }
  if (scan.state == ScanState::complete) {
    const std::string_view body = bytes.substr(eightBitIntroducerLength, scan.length - eightBitIntroducerLength - 1);
    if (const auto answer = answerOf(body, static_cast<unsigned char>(bytes[scan.length - 1]))) {
      return keyScanned(answerKey(*answer), scan.length);
    }
  }
  return keyScanned(characterKey(eightBitCsi), 1);
}

Scanned decodeFirstKey(std::string_view bytes, Terminal terminal, bool inputPaused) {
  if (bytes.empty()) {
    return needMoreScanned();
  }
  const auto first = static_cast<unsigned char>(bytes[0]);
  if (first == backspaceByte && terminal.reporting.ctrlHReported) {
    return keyScanned(SequenceKey{PcKey{backspaceScan}, leftCtrlPressed}, 1);
  }
  if (first == nulByte || first == deleteByte) {
    // NUL is Ctrl+2. DEL is what terminals send for Backspace, which a
    // console reports as 8 (and Ctrl+Backspace as 127).
    return keyScanned(byteKey(first), 1);
  }
  if (first == eightBitCsi) {
    return decodeEightBitAnswer(bytes, inputPaused);
  }
  if (first != escapeByte) {
    return keyScanned(characterKey(first), 1);
  }
  return decodeEscape(bytes, terminal, inputPaused);
}

// ------------------------------------------------------------ characters

// The UTF-8 character at the start of `bytes`: one key that typed all its
// bytes. Nothing when the bytes start no whole character, or one cut off
// after input has paused: each byte is then a key of its own.
std::optional<Decoded> decodeUtf8Character(std::string_view bytes, bool inputPaused) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  const std::size_t length = utf8CharacterLength(lead);
  if (length == 0) {
    return std::nullopt;
  }
  for (std::size_t index = 1; index < length && index < bytes.size(); ++index) {
    const auto byte = static_cast<unsigned char>(bytes[index]);
    if (!fitsUtf8Character(lead, index, byte)) {
      return std::nullopt;
    }
  }
  Decoded result;
  if (bytes.size() < length) {
    if (inputPaused) {
      return std::nullopt;
    }
    return result;
  }
  result.status = DecodeStatus::key;
  result.length = length;
  result.event.text = std::string(bytes.substr(0, length));
  return result;
}

KeyEvent eventOf(const SequenceKey& key) {
  if (key.eventType != EventType::key) {
    KeyEvent answer;
    answer.eventType = key.eventType;
    answer.answerValue = key.answerValue;
    return answer;
  }
  if (key.report) {
    return eventOfReport(*key.report);
  }
  if (!key.typed.empty()) {
    KeyEvent typed;
    typed.controlKeyState = key.modifiers;
    typed.text = key.typed;
    return typed;
  }
  return keyEventOf(key.key, key.modifiers, key.action);
}

}  // namespace

Decoded decodeKey(std::string_view bytes, const TerminalFamilyRow& family, bool inputPaused, KeyReporting reporting) {
  Decoded result;
  if (!bytes.empty()) {
    if (auto character = decodeUtf8Character(bytes, inputPaused)) {
      result = *std::move(character);
    } else {
      const Scanned scanned = decodeFirstKey(bytes, Terminal{family, reporting}, inputPaused);
      result.status = scanned.status;
      result.length = scanned.length;
      result.rest = scanned.rest;
      if (scanned.status == DecodeStatus::key) {
        result.event = eventOf(scanned.key);
      }
    }
  }
  if (result.status == DecodeStatus::key) {
    result.event.bytes = std::string(bytes.substr(0, result.length));
  }
  return result;
}

SkippedRest skipSequenceRest(std::string_view bytes, SequenceRest rest, bool inputPaused) {
  for (std::size_t index = 0; index < bytes.size(); ++index) {
    const auto byte = static_cast<unsigned char>(bytes[index]);
    if (rest == SequenceRest::controlSequence) {
      if (isParameterByte(byte) || isIntermediateByte(byte)) {
        continue;
      }
      return isFinalByte(byte) ? SkippedRest{index + 1, true} : SkippedRest{index, true};
    }
    if (byte == bellByte) {
      return {index + 1, true};
    }
    if (byte == escapeByte) {
      if (index + 1 == bytes.size()) {
        return {index, inputPaused};
      }
      return bytes[index + 1] == '\\' ? SkippedRest{index + 2, true} : SkippedRest{index, true};
    }
    if (byte < firstPrintableByte) {
      return {index, true};
    }
  }
  return {bytes.size(), false};
}

bool couldStartAnswer(std::string_view bytes) {
  std::size_t index = 0;
  for (const char introducer : {static_cast<char>(escapeByte), '['}) {
    if (index == bytes.size()) {
      return true;
    }
    if (bytes[index] != introducer) {
      if (index == 0 && static_cast<unsigned char>(bytes[0]) == eightBitCsi) {
        index = 1;
        break;
      }
      return false;
    }
    ++index;
  }
  if (index == bytes.size()) {
    return true;
  }
  if (bytes[index] != '?' && bytes[index] != '>') {
    return false;
  }
  return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(index) + 1, bytes.end(),
                     [](char byte) { return isDigit(static_cast<unsigned char>(byte)) || byte == ';'; });
}
