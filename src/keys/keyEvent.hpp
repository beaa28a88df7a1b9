#pragma once

#include <cstdint>
#include <optional>
#include <string>

// One input event, decoded once: a key as a console describes it (its place
// on a PC keyboard, the modifiers and locks, press, repeat or release, what
// it typed), or something else a source delivers (a mouse or focus event,
// a terminal's answer to a query). The Win32 source copies a console input
// record into it; the terminal source decodes it from the bytes a terminal
// sends. One function, codesOf, turns it into key codes.

// `unknown` stands for an event type the console does not document. The
// answers are a terminal's replies to the keyboard query: they carry no key.
enum class EventType : std::uint8_t {
  key,
  mouse,
  focus,
  menu,
  bufferSize,
  unknown,
  keyboardFlagsAnswer,     // CSI ? flags u: the terminal knows the kitty keyboard protocol
  modifyOtherKeysAnswer,   // CSI > 4 ; value m: xterm's modifyOtherKeys level
  deviceAttributesAnswer,  // CSI ? ... c: every terminal answers it, last
};

enum class KeyAction : std::uint8_t { press, repeat, release };

struct KeyEvent {
  EventType eventType = EventType::key;
  KeyAction action = KeyAction::press;
  // Scan code set 1; 0 for a key the console tables do not know.
  std::uint16_t scanCode = 0;
  // The console's control-key flags: modifiers, locks, enhanced key.
  std::uint32_t controlKeyState = 0;
  // What the key typed: a console's character byte in its code page (empty
  // when it carries none), or a terminal's character bytes. Nothing when
  // the source names only the key's place: the tables then say what it
  // types in the state of its modifiers.
  std::optional<std::string> text;
  // The console's virtual-key code, kept only to be shown; 0 on a terminal.
  std::uint16_t virtualKeyCode = 0;
  // The bytes the terminal sent for the event; nothing from a console.
  std::optional<std::string> bytes;
  // The value an answer reports: the modifyOtherKeys level.
  int answerValue = 0;
};

// A key going down or repeating.
inline bool isKeyDown(const KeyEvent& event) {
  return event.eventType == EventType::key && event.action != KeyAction::release;
}

// An answer to the keyboard query.
inline bool isAnswer(const KeyEvent& event) {
  return event.eventType == EventType::keyboardFlagsAnswer || event.eventType == EventType::modifyOtherKeysAnswer ||
         event.eventType == EventType::deviceAttributesAnswer;
}

constexpr std::uint32_t rightAltPressed = 0x0001;
constexpr std::uint32_t leftAltPressed = 0x0002;
constexpr std::uint32_t rightCtrlPressed = 0x0004;
constexpr std::uint32_t leftCtrlPressed = 0x0008;
constexpr std::uint32_t shiftPressed = 0x0010;
constexpr std::uint32_t numLockOn = 0x0020;
constexpr std::uint32_t scrollLockOn = 0x0040;
constexpr std::uint32_t capsLockOn = 0x0080;
constexpr std::uint32_t enhancedKey = 0x0100;

constexpr std::uint32_t altPressed = leftAltPressed | rightAltPressed;
constexpr std::uint32_t ctrlPressed = leftCtrlPressed | rightCtrlPressed;
