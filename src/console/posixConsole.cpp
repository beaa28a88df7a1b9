// The key reader on a POSIX terminal: bytes from /dev/tty, decoded into
// events, turned into codes by the same reader logic as the Windows console.

#include <cstdlib>
#include <optional>
#include <string_view>

#include "console/keyboardNegotiation.hpp"
#include "console/readKey.hpp"
#include "console/terminalInput.hpp"
#include "console/terminalSession.hpp"
#include "keys/keyReader.hpp"
#include "keys/terminalFamilies.hpp"

namespace {

ReaderState readerState;
// The terminal's bytes and the events decoded from them.
TerminalInput terminalInput;

bool openSource() {
  if (!openProcessTerminal()) {
    return false;
  }
  const char* termName = std::getenv("TERM");
  const TerminalFamilyRow& family = familyOfTerm(termName != nullptr ? termName : "");
  terminalInput = TerminalInput(processTerminal(), family.family);
  negotiateKeyboardMode(processTerminal(), terminalInput, family);
  return true;
}

bool readEvent(KeyEvent& event) {
  StreamItem item = terminalInput.nextEvent();
  if (item.status != StreamStatus::event) {
    return false;
  }
  event = std::move(item.event);
  return true;
}

// The terminal stays raw for the whole run, so there is nothing to switch
// around each read.
const EventSource terminalSource{openSource, {}, {}, readEvent};

}  // namespace

int readKey() { return nextKeyCode(readerState, terminalSource); }

std::optional<KeyDetails> lastKeyDetails() { return keyDetailsOf(readerState.lastKey); }

bool keyAvailable() {
  return codeHeld(readerState) || (readerState.consoleInput == ConsoleInput::open && terminalInput.codeAtHand());
}

bool keyboardMissing() { return readerState.consoleInput == ConsoleInput::failed; }

void endKeyInput() { processTerminal().finish(); }
