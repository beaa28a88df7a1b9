#pragma once

#include <functional>
#include <optional>
#include <string>

#include "keys/keyCodes.hpp"
#include "keys/keyEvent.hpp"

// What readKey returns when no key could be read.
constexpr int noKey = -1;

// The state of the console input device: opened on the first call that needs
// it, then kept open, or failed for good if it could not be opened.
enum class ConsoleInput : std::uint8_t { notOpened, open, failed };

// What the reader keeps between calls.
struct ReaderState {
  ConsoleInput consoleInput = ConsoleInput::notOpened;
  // The codes of the last key still to be given: the second code of a pair,
  // or the further bytes of a character.
  std::string heldCodes;
  // The key whose first code the last call returned; nothing after a held
  // code or no key.
  std::optional<KeyEvent> lastKey;
};

// Where events come from. Each platform fills these in; tests feed events
// directly.
struct EventSource {
  // Opens the input device; false when it cannot be opened.
  std::function<bool()> open;
  // Called around each read that reaches the device, where the device needs
  // it (the Windows console's raw mode); may be left empty.
  std::function<void()> beginRead;
  std::function<void()> endRead;
  // Reads exactly one event; false when the read fails or gives nothing.
  std::function<bool(KeyEvent&)> readEvent;
};

// Whether a code is held for the next call.
bool codeHeld(const ReaderState& state);

// One key code: a held code if there is one, otherwise the first code of the
// next event that gives any, holding the rest. Events that give none are
// skipped. Returns noKey when no key could be read.
int nextKeyCode(ReaderState& state, const EventSource& source);
