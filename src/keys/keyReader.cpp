#include "keys/keyReader.hpp"

namespace {

// Reads events until one gives a code: returns its first code and holds the
// others. noKey when the source has nothing more to give.
int readCodeFromEvents(ReaderState& state, const EventSource& source) {
  KeyEvent event;
  while (source.readEvent(event)) {
    const std::string codes = codeSequence(codesOf(event));
    if (codes.empty()) {
      // Releases, modifier keys alone, lock keys, keys without a pair, answers.
      continue;
    }
    state.heldCodes.append(codes, 1);
    state.lastKey = std::move(event);
    return static_cast<unsigned char>(codes.front());
  }
  return noKey;
}

}  // namespace

bool codeHeld(const ReaderState& state) { return !state.heldCodes.empty(); }

int nextKeyCode(ReaderState& state, const EventSource& source) {
  state.lastKey.reset();
  if (codeHeld(state)) {
    const int held = static_cast<unsigned char>(state.heldCodes.front());
    state.heldCodes.erase(0, 1);
    return held;
  }
  if (state.consoleInput == ConsoleInput::notOpened) {
    state.consoleInput = source.open() ? ConsoleInput::open : ConsoleInput::failed;
  }
  if (state.consoleInput == ConsoleInput::failed) {
    return noKey;
  }
  if (!source.beginRead) {
    return readCodeFromEvents(state, source);
  }
  source.beginRead();
  int code = noKey;
  try {
    code = readCodeFromEvents(state, source);
  } catch (...) {
    source.endRead();
    throw;
  }
  source.endRead();
  return code;
}
