#include "keys/usLayout.hpp"

#include <algorithm>
#include <array>

#include "keys/asciiBytes.hpp"
#include "keys/keyTables.hpp"
#include "keys/scanCodes.hpp"

namespace {

struct ByteKey {
  unsigned char byte;
  PcKey key;
};

// Control bytes that are not simply Ctrl and a letter (0x01 to 0x1A).
// clang-format off
constexpr auto controlByteKeys = std::to_array<ByteKey>({
    // byte  key
    {0x00,   {twoScan, leftCtrlPressed}},                // Ctrl+2 (Ctrl+@, Ctrl+Space)
    {0x08,   {backspaceScan, 0}},                        // Backspace in some terminals
    {0x09,   {tabScan, 0}},                              // Tab
    {0x0D,   {enterScan, 0}},                            // Enter
    {0x1B,   {escapeScan, 0}},                           // Escape
    {0x1C,   {43, leftCtrlPressed}},                     // Ctrl+backslash
    {0x1D,   {27, leftCtrlPressed}},                     // Ctrl+right bracket
    {0x1E,   {7, leftCtrlPressed | shiftPressed}},       // Ctrl+^ (Ctrl+Shift+6)
    {0x1F,   {12, leftCtrlPressed | shiftPressed}},      // Ctrl+_ (Ctrl+Shift+minus)
});
// clang-format on

constexpr unsigned char firstCtrlLetterByte = 0x01;

bool typesCharacter(KeyPair pair, unsigned char character) { return pair.lead == character && pair.second == 0; }

}  // namespace

std::optional<PcKey> keyOfCharacter(unsigned char character) {
  if (!isPrintableAscii(character)) {
    return std::nullopt;
  }
  // The first key in scan code order, plain before Shift: the main block's
  // keys come before the keypad's.
  for (std::size_t scanCode = 0; scanCode < NormalKeys.size(); ++scanCode) {
    const auto scan = static_cast<std::uint16_t>(scanCode);
    if (typesCharacter(NormalKeys[scanCode][plainState], character)) {
      return PcKey{scan, 0};
    }
    if (typesCharacter(NormalKeys[scanCode][shiftState], character)) {
      return PcKey{scan, shiftPressed};
    }
  }
  return std::nullopt;
}

std::optional<PcKey> keyOfByte(unsigned char byte) {
  if (!isAscii(byte)) {
    return std::nullopt;
  }
  if (byte == deleteByte) {
    return PcKey{backspaceScan, 0};
  }
  if (isPrintableAscii(byte)) {
    return keyOfCharacter(byte);
  }
  const auto* row = std::find_if(controlByteKeys.begin(), controlByteKeys.end(),
                                 [&](const ByteKey& candidate) { return candidate.byte == byte; });
  if (row != controlByteKeys.end()) {
    return row->key;
  }
  // Ctrl and a letter: 0x01 is Ctrl+A.
  auto letter = keyOfCharacter(static_cast<unsigned char>('a' + byte - firstCtrlLetterByte));
  if (letter) {
    letter->flags |= leftCtrlPressed;
  }
  return letter;
}
