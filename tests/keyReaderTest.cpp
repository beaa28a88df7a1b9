#include "keys/keyReader.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A console that plays back a list of input records, as events, and counts
// what the reader asks of it. When the list runs out, reads fail.
struct FakeConsole {
  bool opens = true;
  std::vector<KeyEvent> records;
  std::size_t nextRecord = 0;
  int openCalls = 0;
  int beginCalls = 0;
  int endCalls = 0;
  bool throwOnRead = false;
};

EventSource sourceFor(FakeConsole& console) {
  EventSource source;
  source.open = [&console] {
    ++console.openCalls;
    return console.opens;
  };
  source.beginRead = [&console] { ++console.beginCalls; };
  source.endRead = [&console] { ++console.endCalls; };
  source.readEvent = [&console](KeyEvent& record) {
    if (console.throwOnRead) {
      throw std::runtime_error("read failed");
    }
    if (console.nextRecord == console.records.size()) {
      return false;
    }
    record = console.records[console.nextRecord++];
    return true;
  };
  return source;
}

// A console's record: its character byte, 0 when the key carries none.
KeyEvent consoleRecord(EventType type, bool down, unsigned char character, std::uint16_t scanCode,
                       std::uint32_t flags) {
  KeyEvent event;
  event.eventType = type;
  event.action = down ? KeyAction::press : KeyAction::release;
  event.text = character != 0 ? std::string(1, static_cast<char>(character)) : std::string();
  event.scanCode = scanCode;
  event.controlKeyState = flags;
  return event;
}

KeyEvent keyDown(unsigned char character, std::uint16_t scanCode, std::uint32_t flags = 0) {
  return consoleRecord(EventType::key, true, character, scanCode, flags);
}

KeyEvent keyWithoutCharacter(std::uint16_t scanCode, std::uint32_t flags = 0) { return keyDown(0, scanCode, flags); }

// The codes the reader gives for the console's records, until it gives -1.
std::vector<int> codesFor(const std::vector<KeyEvent>& records) {
  FakeConsole console;
  console.records = records;
  ReaderState state;
  const EventSource source = sourceFor(console);
  std::vector<int> codes;
  for (int code = nextKeyCode(state, source); code != -1; code = nextKeyCode(state, source)) {
    codes.push_back(code);
  }
  return codes;
}

using Codes = std::vector<int>;

TEST(KeyReaderTwoCodeKeys, FunctionKeyGivesLeadThenSecondWithoutReadingAgain) {
  FakeConsole console;
  console.records = {keyWithoutCharacter(59)};
  ReaderState state;
  const EventSource source = sourceFor(console);
  EXPECT_EQ(nextKeyCode(state, source), 0);
  EXPECT_EQ(console.nextRecord, 1U);
  EXPECT_EQ(nextKeyCode(state, source), 59);
  EXPECT_EQ(console.nextRecord, 1U) << "the held code must not read a record";
  EXPECT_EQ(console.beginCalls, 1) << "the held code must not touch the console mode";
}

TEST(KeyReaderTwoCodeKeys, CursorBlockAndKeypadTellUpApart) {
  EXPECT_EQ(codesFor({keyWithoutCharacter(0x48, enhancedKey)}), (Codes{224, 72}));
  EXPECT_EQ(codesFor({keyWithoutCharacter(0x48)}), (Codes{0, 72})) << "keypad Up with Num Lock off";
  EXPECT_EQ(codesFor({keyWithoutCharacter(0x48, enhancedKey | leftCtrlPressed)}), (Codes{224, 141}));
  EXPECT_EQ(codesFor({keyWithoutCharacter(0x48, enhancedKey | rightAltPressed)}), (Codes{0, 152}));
  EXPECT_EQ(codesFor({keyWithoutCharacter(0x48, leftCtrlPressed)}), (Codes{0, 141}));
}

TEST(KeyReaderTwoCodeKeys, AltOutranksCtrlWhichOutranksShift) {
  EXPECT_EQ(codesFor({keyWithoutCharacter(59, shiftPressed)}), (Codes{0, 84}));
  EXPECT_EQ(codesFor({keyWithoutCharacter(59, rightCtrlPressed)}), (Codes{0, 94}));
  EXPECT_EQ(codesFor({keyWithoutCharacter(59, leftAltPressed)}), (Codes{0, 104}));
  EXPECT_EQ(codesFor({keyWithoutCharacter(59, leftCtrlPressed | leftAltPressed)}), (Codes{0, 104}));
  EXPECT_EQ(codesFor({keyWithoutCharacter(59, leftCtrlPressed | shiftPressed)}), (Codes{0, 94}));
  EXPECT_EQ(codesFor({keyWithoutCharacter(88, shiftPressed | leftAltPressed)}), (Codes{224, 140}));
}

TEST(KeyReaderTwoCodeKeys, AltDGivesThirtyTwoAsItsSecondCode) {
  EXPECT_EQ(codesFor({keyWithoutCharacter(0x20, leftAltPressed)}), (Codes{0, 32}));
}

TEST(KeyReaderTwoCodeKeys, EnhancedPairWithSecondCodeZeroGivesLeadThenZero) {
  EXPECT_EQ(codesFor({keyWithoutCharacter(0x1C, enhancedKey)}), (Codes{13, 0}));
  EXPECT_EQ(codesFor({keyWithoutCharacter(0x35, enhancedKey | shiftPressed)}), (Codes{63, 0}));
  EXPECT_EQ(codesFor({keyWithoutCharacter(0x35, enhancedKey | leftCtrlPressed)}), (Codes{0, 149}));
}

TEST(KeyReaderCharacters, NonZeroCharacterWinsOverTheTables) {
  EXPECT_EQ(codesFor({keyDown(13, 28)}), (Codes{13}));
  EXPECT_EQ(codesFor({keyDown(27, 1)}), (Codes{27}));
  EXPECT_EQ(codesFor({keyDown(3, 46, leftCtrlPressed)}), (Codes{3}));
  EXPECT_EQ(codesFor({keyDown('d', 0x20, leftAltPressed)}), (Codes{'d'})) << "Alt with a character";
  EXPECT_EQ(codesFor({keyDown(0x84, 40)}), (Codes{0x84})) << "a byte above 127";
}

TEST(KeyReaderSkipping, RecordsWithoutAUsableKeyAreSkipped) {
  const KeyEvent keyUp = consoleRecord(EventType::key, false, 'x', 45, 0);
  const KeyEvent mouse = consoleRecord(EventType::mouse, true, 'm', 0, 0);
  const KeyEvent focus = consoleRecord(EventType::focus, true, 'f', 0, 0);
  const KeyEvent menu = consoleRecord(EventType::menu, true, 'n', 0, 0);
  const KeyEvent bufferSize = consoleRecord(EventType::bufferSize, true, 'b', 0, 0);
  const KeyEvent unknown = consoleRecord(EventType::unknown, true, 'u', 0, 0);
  const KeyEvent shiftAlone = keyWithoutCharacter(42, shiftPressed);
  const KeyEvent ctrlAlone = keyWithoutCharacter(29, leftCtrlPressed);
  const KeyEvent altAlone = keyWithoutCharacter(56, leftAltPressed);
  const KeyEvent capsLock = keyWithoutCharacter(58);
  EXPECT_EQ(codesFor({keyUp, mouse, focus, menu, bufferSize, unknown, shiftAlone, ctrlAlone, altAlone, capsLock,
                      keyDown('a', 30)}),
            (Codes{'a'}));
}

TEST(KeyReaderSkipping, KeysWithoutACountingPairAreSkipped) {
  EXPECT_EQ(codesFor({keyWithoutCharacter(43, leftAltPressed), keyDown('z', 44)}), (Codes{'z'})) << "Alt+backslash";
  EXPECT_EQ(codesFor({keyWithoutCharacter(89), keyWithoutCharacter(0xFFFF), keyDown('z', 44)}), (Codes{'z'}))
      << "scan codes past the normal table";
  EXPECT_EQ(codesFor({keyWithoutCharacter(0x60, enhancedKey), keyDown('z', 44)}), (Codes{'z'}))
      << "an enhanced scan code with no row";
  EXPECT_EQ(codesFor({keyWithoutCharacter(2, leftCtrlPressed), keyDown('z', 44)}), (Codes{'z'}))
      << "Ctrl+1 has lead 0 and second 0";
  EXPECT_EQ(codesFor({keyWithoutCharacter(30, leftCtrlPressed), keyDown('z', 44)}), (Codes{'z'}))
      << "a character pair never counts";
}

TEST(KeyReaderSkipping, EveryKeyDownRecordOfAnAutoRepeatGivesOneCode) {
  EXPECT_EQ(codesFor({keyDown('a', 30), keyDown('a', 30), keyDown('a', 30)}), (Codes{'a', 'a', 'a'}));
  EXPECT_EQ(codesFor({keyWithoutCharacter(59), keyWithoutCharacter(59)}), (Codes{0, 59, 0, 59}));
}

TEST(KeyReaderFailures, DeviceThatFailsToOpenGivesMinusOneWithoutTryingAgain) {
  FakeConsole console;
  console.opens = false;
  console.records = {keyDown('a', 30)};
  ReaderState state;
  const EventSource source = sourceFor(console);
  EXPECT_EQ(nextKeyCode(state, source), -1);
  EXPECT_EQ(nextKeyCode(state, source), -1);
  EXPECT_EQ(nextKeyCode(state, source), -1);
  EXPECT_EQ(console.openCalls, 1);
  EXPECT_EQ(console.beginCalls, 0);
  EXPECT_EQ(state.consoleInput, ConsoleInput::failed);
}

TEST(KeyReaderFailures, FailedReadGivesMinusOneAndHoldsNothing) {
  FakeConsole console;
  ReaderState state;
  const EventSource source = sourceFor(console);
  EXPECT_EQ(nextKeyCode(state, source), -1);
  EXPECT_FALSE(codeHeld(state));
  EXPECT_EQ(console.openCalls, 1);
  EXPECT_EQ(console.beginCalls, 1);
  EXPECT_EQ(console.endCalls, 1) << "the console mode is restored after a failed read";
  console.records = {keyDown('q', 16)};
  EXPECT_EQ(nextKeyCode(state, source), 'q') << "a later read goes to the console again";
  EXPECT_EQ(console.openCalls, 1) << "the device is opened once";
}

TEST(KeyReaderFailures, ConsoleModeIsRestoredWhenAReadThrows) {
  FakeConsole console;
  console.throwOnRead = true;
  ReaderState state;
  const EventSource source = sourceFor(console);
  EXPECT_THROW(nextKeyCode(state, source), std::runtime_error);
  EXPECT_EQ(console.beginCalls, 1);
  EXPECT_EQ(console.endCalls, 1);
}

TEST(KeyReaderHeldCode, HeldCodeGoesToWhicheverCallComesNext) {
  FakeConsole console;
  console.records = {keyWithoutCharacter(87)};
  ReaderState state;
  const EventSource source = sourceFor(console);
  EXPECT_EQ(nextKeyCode(state, source), 224);
  EXPECT_EQ(state.heldCodes, "\x85");
  // The held code survives the device failing: the next call gets it anyway.
  console.opens = false;
  state.consoleInput = ConsoleInput::failed;
  EXPECT_EQ(nextKeyCode(state, source), 133);
  EXPECT_FALSE(codeHeld(state));
  EXPECT_EQ(nextKeyCode(state, source), -1);
}

}  // namespace
