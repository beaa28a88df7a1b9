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
  EXPECT_EQ(state.lastKey->scanCode, 59) << "the lead's row is explained by its key";
  EXPECT_EQ(nextKeyCode(state, source), 59);
  EXPECT_FALSE(state.lastKey) << "the second code's row has no key of its own";
  EXPECT_EQ(console.nextRecord, 1U) << "the held code must not read a record";
  EXPECT_EQ(console.beginCalls, 1) << "the held code must not touch the console mode";
}

struct RecordsCase {
  const char* what;
  std::vector<KeyEvent> records;
  Codes codes;
};

// A character wins over the tables; a key without one gives its pair, where
// Alt outranks Ctrl, which outranks Shift; records without a usable key and
// keys without a counting pair give nothing.
TEST(KeyReaderCodes, EachRecordGivesTheCodesOfItsKey) {
  const std::vector<RecordsCase> cases = {
      {"Up on the cursor block", {keyWithoutCharacter(0x48, enhancedKey)}, {224, 72}},
      {"keypad Up with Num Lock off", {keyWithoutCharacter(0x48)}, {0, 72}},
      {"Ctrl+Up", {keyWithoutCharacter(0x48, enhancedKey | leftCtrlPressed)}, {224, 141}},
      {"AltGr+Up", {keyWithoutCharacter(0x48, enhancedKey | rightAltPressed)}, {0, 152}},
      {"Shift+F1", {keyWithoutCharacter(59, shiftPressed)}, {0, 84}},
      {"Ctrl+Alt+F1", {keyWithoutCharacter(59, leftCtrlPressed | leftAltPressed)}, {0, 104}},
      {"Ctrl+Shift+F1", {keyWithoutCharacter(59, rightCtrlPressed | shiftPressed)}, {0, 94}},
      {"Alt+Shift+F12", {keyWithoutCharacter(88, shiftPressed | leftAltPressed)}, {224, 140}},
      {"Alt+D gives 32 as its second code", {keyWithoutCharacter(0x20, leftAltPressed)}, {0, 32}},
      {"keypad Enter: lead 13, second 0", {keyWithoutCharacter(0x1C, enhancedKey)}, {13, 0}},
      {"Ctrl+keypad slash", {keyWithoutCharacter(0x35, enhancedKey | leftCtrlPressed)}, {0, 149}},
      {"Enter", {keyDown(13, 28)}, {13}},
      {"Alt with a character", {keyDown('d', 0x20, leftAltPressed)}, {'d'}},
      {"a byte above 127", {keyDown(0x84, 40)}, {0x84}},
      {"each record of an auto-repeat",
       {keyDown('a', 30), keyDown('a', 30), keyWithoutCharacter(59), keyWithoutCharacter(59)},
       {'a', 'a', 0, 59, 0, 59}},
      {"records without a usable key",
       {consoleRecord(EventType::key, false, 'x', 45, 0), consoleRecord(EventType::mouse, true, 'm', 0, 0),
        consoleRecord(EventType::focus, true, 'f', 0, 0), consoleRecord(EventType::menu, true, 'n', 0, 0),
        consoleRecord(EventType::bufferSize, true, 'b', 0, 0), consoleRecord(EventType::unknown, true, 'u', 0, 0),
        keyWithoutCharacter(42, shiftPressed), keyWithoutCharacter(29, leftCtrlPressed),
        keyWithoutCharacter(56, leftAltPressed), keyWithoutCharacter(58), keyDown('a', 30)},
       {'a'}},
      {"keys without a counting pair",
       {keyWithoutCharacter(43, leftAltPressed), keyWithoutCharacter(89), keyWithoutCharacter(0xFFFF),
        keyWithoutCharacter(0x60, enhancedKey), keyWithoutCharacter(2, leftCtrlPressed),
        keyWithoutCharacter(30, leftCtrlPressed), keyDown('z', 44)},
       {'z'}},
  };
  for (const RecordsCase& records : cases) {
    EXPECT_EQ(codesFor(records.records), records.codes) << records.what;
  }
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
