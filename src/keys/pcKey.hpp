#pragma once

#include <cstdint>
#include <string>

#include "keys/keyEvent.hpp"

// A key of a US PC keyboard as a terminal's bytes name it.
struct PcKey {
  // Scan code set 1; 0 for a key the console tables do not know.
  std::uint16_t scanCode = 0;
  // Flags the key always carries: enhancedKey for the cursor block, keypad
  // Enter and keypad slash, and the modifier a form implies (Shift for
  // Shift+Tab, for rxvt's Shift+F3 sent as CSI 25~ ...).
  std::uint32_t flags = 0;
  // The character the key types with no modifier held, where the tables'
  // plain column does not say it (keypad digits with Num Lock on); 0 when
  // the tables decide.
  unsigned char text = 0;
};

// The event of `key` with the control-key flags `modifiers` held. It names
// the key by its place, so the tables say what it types, except for a key
// whose own character the tables do not hold, pressed with no modifier.
inline KeyEvent keyEventOf(const PcKey& key, std::uint32_t modifiers, KeyAction action = KeyAction::press) {
  KeyEvent event;
  event.action = action;
  event.scanCode = key.scanCode;
  event.controlKeyState = key.flags | modifiers;
  const bool anyModifier = (event.controlKeyState & (altPressed | ctrlPressed | shiftPressed)) != 0;
  if (key.text != 0 && !anyModifier) {
    event.text = std::string(1, static_cast<char>(key.text));
  }
  return event;
}
