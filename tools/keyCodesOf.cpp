#include "keyCodesOf.hpp"

#include "console/readKey.hpp"
#include "keys/keyReader.hpp"

namespace {

// The modifier flags a console record carries for each state.
constexpr std::array<std::uint32_t, keyStateCount> stateFlags{0, shiftPressed, leftCtrlPressed, leftAltPressed};

constexpr int noPendingCode = -1;
constexpr int firstVisibleCode = 33;
constexpr int lastVisibleCode = 126;

// The character a console puts into the key's record: the tables hold it
// as a character pair. 0 when the key carries no character.
unsigned char consoleCharacter(std::uint16_t scanCode, std::uint32_t controlKeyState) {
  return characterOf(tablePairOf(scanCode, controlKeyState).value_or(KeyPair{0, 0}));
}

}  // namespace

std::vector<int> codesOfKey(const ReferenceKey& key, KeyState state) {
  KeyRecord record;
  record.scanCode = key.scanCode;
  record.controlKeyState = stateFlags[state] | (key.enhanced ? enhancedKey : 0);
  record.asciiChar = consoleCharacter(record.scanCode, record.controlKeyState);

  // The reader is fed the one record, as a console would deliver it.
  bool delivered = false;
  const RecordSource source{
      .open = [] { return true; },
      .beginRead = [] {},
      .endRead = [] {},
      .readRecord =
          [&](KeyRecord& next) {
            if (delivered) {
              return false;
            }
            next = record;
            delivered = true;
            return true;
          },
  };
  ReaderState reader;
  std::vector<int> codes;
  const int first = nextKeyCode(reader, source);
  if (first == noKey) {
    return codes;
  }
  codes.push_back(first);
  // A two-code key leaves its second code held for the next call.
  if (reader.pendingCode != noPendingCode) {
    codes.push_back(nextKeyCode(reader, source));
  }
  return codes;
}

bool isVisibleCharacter(int code) { return code >= firstVisibleCode && code <= lastVisibleCode; }

std::string codesCell(const std::vector<int>& codes, std::string_view noCodes,
                      const std::function<std::string(char)>& showCharacter) {
  if (codes.empty()) {
    return std::string(noCodes);
  }
  std::string text;
  for (const int code : codes) {
    if (!text.empty()) {
      text += ", ";
    }
    text += std::to_string(code);
  }
  if (codes.size() == 1 && isVisibleCharacter(codes.front())) {
    text += ' ';
    text += showCharacter(static_cast<char>(codes.front()));
  }
  return text;
}
