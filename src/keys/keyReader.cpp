#include "keys/keyReader.hpp"

#include "console/readKey.hpp"

namespace {

constexpr int noPendingCode = -1;

// Reads records until one gives a code. Returns noKey when the source has
// nothing more to give.
int readCodeFromRecords(ReaderState& state, const RecordSource& source) {
  KeyRecord record;
  while (source.readRecord(record)) {
    if (!givesCode(record)) {
      // Releases, modifier keys alone, lock keys and keys without a pair.
      continue;
    }
    if (record.asciiChar != 0) {
      return record.asciiChar;
    }
    const KeyPair pair = *lookupKey(record);
    state.pendingCode = pair.second;
    return pair.lead;
  }
  return noKey;
}

}  // namespace

std::optional<KeyPair> lookupKey(const KeyRecord& record) {
  const auto pair = tablePairOf(record.scanCode, record.controlKeyState);
  if (!pair) {
    return std::nullopt;
  }
  // An enhanced row's pair is used as it stands; a normal row's pair counts
  // only as a real two-code pair, never as a character pair.
  const bool enhanced = (record.controlKeyState & enhancedKey) != 0;
  if (!enhanced && isCharacterPair(*pair)) {
    return std::nullopt;
  }
  return pair;
}

bool codeHeld(const ReaderState& state) { return state.pendingCode != noPendingCode; }

bool givesCode(const KeyRecord& record) {
  return record.eventType == EventType::key && record.keyDown &&
         (record.asciiChar != 0 || lookupKey(record).has_value());
}

int nextKeyCode(ReaderState& state, const RecordSource& source) {
  if (codeHeld(state)) {
    const int held = state.pendingCode & 0xFF;
    state.pendingCode = noPendingCode;
    return held;
  }
  if (state.consoleInput == ConsoleInput::notOpened) {
    state.consoleInput = source.open() ? ConsoleInput::open : ConsoleInput::failed;
  }
  if (state.consoleInput == ConsoleInput::failed) {
    return noKey;
  }
  source.beginRead();
  int code = noKey;
  try {
    code = readCodeFromRecords(state, source);
  } catch (...) {
    source.endRead();
    throw;
  }
  source.endRead();
  return code;
}
