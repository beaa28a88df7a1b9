// The key reader on a Windows console: input records from CONIN$, turned
// into key codes by the shared reader logic.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdlib>

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

// Reads exactly one record; the repeat count of a key record is not used.
bool readDeviceRecord(KeyRecord& record) {
  INPUT_RECORD input{};
  DWORD count = 0;
  if (ReadConsoleInputA(device.handle, &input, 1, &count) == 0 || count == 0) {
    return false;
  }
  record = KeyRecord{};
  record.eventType = eventTypeOf(input.EventType);
  if (input.EventType == KEY_EVENT) {
    const KEY_EVENT_RECORD& key = input.Event.KeyEvent;
    record.keyDown = key.bKeyDown != 0;
    record.asciiChar = static_cast<unsigned char>(key.uChar.AsciiChar);
    record.scanCode = key.wVirtualScanCode;
    record.controlKeyState = key.dwControlKeyState;
  }
  return true;
}

const RecordSource consoleSource{openDevice, enterRawMode, restoreMode, readDeviceRecord};

}  // namespace

int readKey() { return nextKeyCode(readerState, consoleSource); }
