// The key reader on a Windows console: input records from CONIN$, turned
// into key codes by the shared reader logic.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <utility>

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
// The record read last, and what made the key whose first code readKey
// returned last.
KeyRecord lastRecord;
std::optional<KeyDetails> lastReturnedDetails;

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

// The fields the reader uses; the repeat count of a key record is not used.
KeyRecord keyRecordOf(const INPUT_RECORD& input) {
  KeyRecord record;
  record.eventType = eventTypeOf(input.EventType);
  if (input.EventType == KEY_EVENT) {
    const KEY_EVENT_RECORD& key = input.Event.KeyEvent;
    record.keyDown = key.bKeyDown != 0;
    record.asciiChar = static_cast<unsigned char>(key.uChar.AsciiChar);
    record.scanCode = key.wVirtualScanCode;
    record.controlKeyState = key.dwControlKeyState;
    record.virtualKeyCode = key.wVirtualKeyCode;
  }
  return record;
}

// Reads exactly one record.
bool readDeviceRecord(KeyRecord& record) {
  INPUT_RECORD input{};
  DWORD count = 0;
  if (ReadConsoleInputA(device.handle, &input, 1, &count) == 0 || count == 0) {
    return false;
  }
  record = keyRecordOf(input);
  lastRecord = record;
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
    if (givesCode(keyRecordOf(inputs[index]))) {
      return true;
    }
  }
  return false;
}

const RecordSource consoleSource{openDevice, enterRawMode, restoreMode, readDeviceRecord};

}  // namespace

int readKey() {
  // A held second code reads no record: it has no details of its own.
  const bool secondCode = codeHeld(readerState);
  const int code = nextKeyCode(readerState, consoleSource);
  lastReturnedDetails.reset();
  if (!secondCode && code != noKey) {
    // The console's character byte is in its input code page.
    KeyDetails details{lastRecord, {}, std::nullopt};
    if (lastRecord.asciiChar != 0) {
      details.characters.assign(1, static_cast<char>(lastRecord.asciiChar));
    }
    lastReturnedDetails = std::move(details);
  }
  return code;
}

std::optional<KeyDetails> lastKeyDetails() { return lastReturnedDetails; }

bool keyAvailable() {
  return codeHeld(readerState) || (readerState.consoleInput == ConsoleInput::open && codeRecordPending());
}

bool keyboardMissing() { return readerState.consoleInput == ConsoleInput::failed; }

// The console's mode is put back after every read, so there is nothing
// left to restore.
void endKeyInput() {}
