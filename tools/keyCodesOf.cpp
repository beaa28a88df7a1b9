#include "keyCodesOf.hpp"

#include <algorithm>

#include "keys/keyReader.hpp"

namespace {

// The modifier flags a console record carries for each state.
constexpr std::array<std::uint32_t, keyStateCount> stateFlags{0, shiftPressed, leftCtrlPressed, leftAltPressed};

constexpr int noKey = -1;
constexpr int noPendingCode = -1;
constexpr int firstVisibleCode = 33;
constexpr int lastVisibleCode = 126;

// The pair the tables hold for the key in the state; {0, 0} when they hold
// no row for it.
KeyPair tablePair(const ReferenceKey& key, KeyState state) {
  if (key.enhanced) {
    const auto* row = std::find_if(EnhancedKeys.begin(), EnhancedKeys.end(),
                                   [&](const EnhancedKeyRow& candidate) { return candidate.scanCode == key.scanCode; });
    return row == EnhancedKeys.end() ? KeyPair{0, 0} : row->pairs[state];
  }
  return key.scanCode < NormalKeys.size() ? NormalKeys[key.scanCode][state] : KeyPair{0, 0};
}

// The character a console puts into the key's record: the tables hold it
// as the character followed by 0. 0 when the key carries no character.
unsigned char consoleCharacter(const ReferenceKey& key, KeyState state) {
  const KeyPair pair = tablePair(key, state);
  return pair.second == 0 ? pair.lead : 0;
}

}  // namespace

std::vector<int> codesOfKey(const ReferenceKey& key, KeyState state) {
  KeyRecord record;
  record.asciiChar = consoleCharacter(key, state);
  record.scanCode = key.scanCode;
  record.controlKeyState = stateFlags[state] | (key.enhanced ? enhancedKey : 0);

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
