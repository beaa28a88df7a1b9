#include "keys/byteStream.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "streamTestReads.hpp"

namespace {

constexpr auto xterm = TerminalFamily::xterm;

struct PausedInput {
  const char* what;
  std::string bytes;
  // The Escape wait passes after these many bytes, and after the last.
  std::vector<std::size_t> pausesAt;
  std::vector<int> codes;
};

// Every split of the input into reads, with the pauses where the case puts
// them, gives the same codes.
TEST(ByteStreamSplits, giveTheSameKeysInEveryReadWithThePausesKept) {
  const std::vector<PausedInput> inputs = {
      {"a and Escape in one read", "a\x1b", {}, {97, 27}},
      {"Escape, a pause, then [ and A", "\x1b[A", {1}, {27, '[', 'A'}},
      {"ESC in a later read completes Up", "x\x1b[A", {}, {'x', 224, 72}},
      {"Escape, a pause, then Up", "\x1b\x1b[A", {1}, {27, 224, 72}},
      {"Alt+Up across reads", "\x1b\x1b[A", {}, {0, 152}},
      {"Escape twice with a pause between", "\x1b\x1b", {1}, {27, 27}},
      {"Escape and 0x80", "\x1b\x80", {}, {27, 128}},
      {"a report, then Escape", "\x1b[I\x1b", {}, {27}},
      {"Ctrl+Up, then Escape", "\x1b[1;5A\x1b", {}, {224, 141, 27}},
  };
  for (const PausedInput& input : inputs) {
    for (const std::vector<Read>& reads : everySplit(input.bytes, input.pausesAt)) {
      const std::vector<StreamKey> keys = keysOfReads(input.bytes, xterm, reads);
      EXPECT_EQ(codesOf(keys), input.codes)
          << input.what << ": " << showBytes(input.bytes) << " in " << reads.size() << " reads -> " << showKeys(keys);
    }
  }
}

struct WaitCase {
  std::string bytes;
  bool partialKeyHeld;
};

// Only the start of a key waits the Escape wait; with nothing held the
// source may wait as long as it takes.
TEST(ByteStreamWait, onlyTheStartOfAKeyAwaitsItsRest) {
  const std::vector<WaitCase> cases = {
      {"", false},        {"a", false},    {"\x1b[I", false},      {"\x1b", true},
      {"\x1b[1;5", true}, {"a\x1b", true}, {"\x1b]0;title", true},
  };
  for (const WaitCase& waitCase : cases) {
    ByteStream stream;
    stream.feed(waitCase.bytes);
    StreamItem item = stream.next(false);
    while (item.status == StreamStatus::key) {
      item = stream.next(false);
    }
    EXPECT_EQ(item.status, StreamStatus::needMore) << showBytes(waitCase.bytes);
    EXPECT_EQ(item.partialKeyHeld, waitCase.partialKeyHeld) << showBytes(waitCase.bytes);
  }
}

TEST(ByteStreamEnd, decidesWhatIsHeldThenEnds) {
  ByteStream stream;
  stream.feed("\x1b");
  stream.endInput();
  EXPECT_TRUE(stream.recordReady());
  const StreamItem escape = stream.next(false);
  ASSERT_EQ(escape.status, StreamStatus::key);
  EXPECT_EQ(escape.record.asciiChar, 27);
  EXPECT_EQ(stream.next(false).status, StreamStatus::endOfInput);
}

TEST(ByteStreamBytes, eachKeyCarriesTheBytesThatMadeIt) {
  const std::string input = "a\x1b[1;5A\x1b[I\x1bOP\xc3\xa9";
  const std::vector<StreamKey> keys = keysOfReads(input, xterm, {{input.size(), true}});
  std::vector<std::string> bytes;
  for (const StreamKey& key : keys) {
    bytes.push_back(key.bytes);
  }
  // Both bytes of the character go with its first record.
  EXPECT_EQ(bytes, (std::vector<std::string>{"a", "\x1b[1;5A", "\x1bOP", "\xc3\xa9", ""})) << showKeys(keys);
}

struct ReadyCase {
  std::string bytes;
  bool ready;
};

TEST(ByteStreamReady, saysWhetherAKeyIsThereWithoutReadingMore) {
  const std::vector<ReadyCase> cases = {
      {"", false}, {"a", true}, {"\x1b", false}, {"\x1b[I", false}, {"\x1b[Ia", true}, {"\x1b[1;5", false},
  };
  for (const ReadyCase& readyCase : cases) {
    ByteStream stream;
    stream.feed(readyCase.bytes);
    EXPECT_EQ(stream.recordReady(), readyCase.ready) << showBytes(readyCase.bytes);
  }
}

TEST(ByteStreamQueue, givesEveryRecordOfOneDecodeInOrderTheBytesWithTheFirst) {
  // The euro sign is one key of three records, one per UTF-8 byte.
  ByteStream stream(xterm);
  stream.feed("\xe2\x82\xacx");
  std::vector<int> characters;
  std::vector<std::string> bytes;
  constexpr std::size_t recordLimit = 8;
  for (StreamItem item = stream.next(false); item.status == StreamStatus::key && characters.size() < recordLimit;
       item = stream.next(false)) {
    characters.push_back(item.record.asciiChar);
    bytes.emplace_back(item.bytes);
    if (characters.size() == 2) {
      EXPECT_TRUE(stream.recordReady()) << "the third record is queued";
    }
  }
  EXPECT_EQ(characters, (std::vector<int>{0xE2, 0x82, 0xAC, 'x'}));
  EXPECT_EQ(bytes, (std::vector<std::string>{"\xe2\x82\xac", "", "", "x"}));
}

}  // namespace
