// The key reader on a Windows console: input records from CONIN$, turned
// into events and then key codes by the shared reader logic.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "console/readKey.hpp"
#include "keys/keyReader.hpp"

namespace {

// The console input device and the mode it had before the current read.
struct ConsoleInputDevice {
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD savedMode = 0;
  bool modeSaved = false;
};

ConsoleInputDevice device;
ReaderState readerState;

// Mode 0: no line input, no echo and no processed input, so every key,
// Ctrl+C included, arrives as a record as soon as it is pressed.
constexpr DWORD rawInputMode = 0;

void closeDevice() {
  if (device.handle != INVALID_HANDLE_VALUE) {
    CloseHandle(device.handle);
    device.handle = INVALID_HANDLE_VALUE;
  }
}

// Opens the console itself rather than standard input, so the keyboard is
// read even when standard input is redirected.
bool openDevice() {
  device.handle = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (device.handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  // Should registering fail, the handle still closes with the process.
  static_cast<void>(std::atexit(closeDevice));
  return true;
}

void enterRawMode() {
  device.modeSaved = GetConsoleMode(device.handle, &device.savedMode) != 0;
  SetConsoleMode(device.handle, rawInputMode);
}

// Restores the mode only if it was read, so a failed query never leaves the
// console in a made-up mode.
void restoreMode() {
  if (device.modeSaved) {
    SetConsoleMode(device.handle, device.savedMode);
    device.modeSaved = false;
  }
}

EventType eventTypeOf(WORD windowsEventType) {
  switch (windowsEventType) {
    case KEY_EVENT:
      return EventType::key;
    case MOUSE_EVENT:
      return EventType::mouse;
    case FOCUS_EVENT:
      return EventType::focus;
    case MENU_EVENT:
      return EventType::menu;
    case WINDOW_BUFFER_SIZE_EVENT:
      return EventType::bufferSize;
    default:
      // The console knows no other kind; an unknown one is passed on as a
      // record that carries no key, which the reader skips.
      return EventType::unknown;
  }
}

// The event of an input record: the fields the reader uses. The character
// byte is the console's own, so the event's text is that byte, or nothing
// typed when it is 0. The repeat count of a key record is not used.
KeyEvent keyEventOf(const INPUT_RECORD& input) {
  KeyEvent event;
  event.eventType = eventTypeOf(input.EventType);
  if (input.EventType == KEY_EVENT) {
    const KEY_EVENT_RECORD& key = input.Event.KeyEvent;
    event.action = key.bKeyDown != 0 ? KeyAction::press : KeyAction::release;
    const auto character = static_cast<unsigned char>(key.uChar.AsciiChar);
    event.text = character != 0 ? std::string(1, static_cast<char>(character)) : std::string();
    event.scanCode = key.wVirtualScanCode;
    event.controlKeyState = key.dwControlKeyState;
    event.virtualKeyCode = key.wVirtualKeyCode;
  }
  return event;
}

// Reads exactly one record.
bool readDeviceEvent(KeyEvent& event) {
  INPUT_RECORD input{};
  DWORD count = 0;
  if (ReadConsoleInputA(device.handle, &input, 1, &count) == 0 || count == 0) {
    return false;
  }
  event = keyEventOf(input);
  return true;
}

// How many pending records keyAvailable looks at; a key further back than
// that only costs one flush more.
constexpr DWORD peekedRecords = 64;

// Whether a record that gives a code is pending. Only pending records that
// give a code count: a key release alone would leave the next read waiting.
bool codeRecordPending() {
  DWORD pending = 0;
  if (GetNumberOfConsoleInputEvents(device.handle, &pending) == 0 || pending == 0) {
    return false;
  }
  INPUT_RECORD inputs[peekedRecords];
  DWORD count = 0;
  if (PeekConsoleInputA(device.handle, inputs, peekedRecords, &count) == 0) {
    return false;
  }
  for (DWORD index = 0; index < count; ++index) {
    if (givesCode(keyEventOf(inputs[index]))) {
      return true;
    }
  }
  return false;
}

const EventSource consoleSource{openDevice, enterRawMode, restoreMode, readDeviceEvent};

}  // namespace

int readKey() { return nextKeyCode(readerState, consoleSource); }

std::optional<KeyDetails> lastKeyDetails() { return keyDetailsOf(readerState.lastKey); }

bool keyAvailable() {
  return codeHeld(readerState) || (readerState.consoleInput == ConsoleInput::open && codeRecordPending());
}

bool keyboardMissing() { return readerState.consoleInput == ConsoleInput::failed; }

// The console's mode is put back after every read, so there is nothing
// left to restore.
void endKeyInput() {}
