#pragma once

#include <cstdint>

// One input event as a console delivers it. The Win32 source copies these
// fields from the console's input records; the terminal source builds them
// from the bytes a terminal sends. The flag values are the console's own.
// `unknown` stands for an event type the console does not document; such a
// record carries no key.
enum class EventType : std::uint8_t { key, mouse, focus, menu, bufferSize, unknown };

struct KeyRecord {
  EventType eventType = EventType::key;
  bool keyDown = true;
  // The character byte in the input code page, 0 if the key carries none.
  unsigned char asciiChar = 0;
  std::uint16_t scanCode = 0;
  std::uint32_t controlKeyState = 0;
  // The console's virtual-key code, kept only to be shown; the terminal
  // source has none and leaves it 0.
  std::uint16_t virtualKeyCode = 0;
};

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
