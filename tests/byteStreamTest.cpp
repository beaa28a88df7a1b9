#include "keys/byteStream.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keys/keyCodes.hpp"
#include "keys/keyReader.hpp"
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
    while (item.status == StreamStatus::event) {
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
  EXPECT_TRUE(stream.eventReady());
  const StreamItem escape = stream.next(false);
  ASSERT_EQ(escape.status, StreamStatus::event);
  EXPECT_EQ(codesOf(escape.event).characters, "\x1b");
  EXPECT_EQ(stream.next(false).status, StreamStatus::endOfInput);
}

TEST(ByteStreamBytes, eachKeyCarriesTheBytesThatMadeIt) {
  const std::string input = "a\x1b[1;5A\x1b[I\x1bOP\xc3\xa9";
  const std::vector<StreamKey> keys = keysOfReads(input, xterm, {{input.size(), true}});
  std::vector<std::string> bytes;
  for (const StreamKey& key : keys) {
    bytes.push_back(key.bytes);
  }
  // Both bytes of the character go with its first code.
  EXPECT_EQ(bytes, (std::vector<std::string>{"a", "\x1b[1;5A", "\x1bOP", "\xc3\xa9", ""})) << showKeys(keys);
}

struct AtHandCase {
  const char* what;
  std::string bytes;
  int codesTaken;  // by the reader before it asks
  bool keyAtHand;
};

// Whether a key is at hand, a code held by the reader or a whole key in the
// stream, decides whether the row before is flushed before the reader
// waits: a release, an answer or a partial sequence alone would leave that
// row unseen.
TEST(KeyAtHand, isACodeHeldOrAnEventThatGivesACode) {
  const std::vector<AtHandCase> cases = {
      {"nothing", "", 0, false},
      {"a key", "a", 0, true},
      {"a release", "\x1b[97;1:3u", 0, false},
      {"an answer", "\x1b[?62c", 0, false},
      {"a report", "\x1b[I", 0, false},
      {"ESC, undecided", "\x1b", 0, false},
      {"a partial sequence", "\x1b[1;5", 0, false},
      {"a key after a report", "\x1b[Ia", 0, true},
      {"a key after a release", "\x1b[97;1:3ua", 0, true},
      {"Up's second code held", "\x1b[A", 1, true},
      {"F1's second code held", "\x1bOP", 1, true},
      {"both of Up's codes taken", "\x1b[A", 2, false},
      {"both taken, a release left", "\x1b[A\x1b[97;1:3u", 2, false},
  };
  for (const AtHandCase& atHand : cases) {
    ByteStream stream;
    stream.feed(atHand.bytes);
    const EventSource source{[] { return true; },
                             {},
                             {},
                             [&stream](KeyEvent& event) {
                               StreamItem item = stream.next(false);
                               event = std::move(item.event);
                               return item.status == StreamStatus::event;
                             }};
    ReaderState state;
    for (int taken = 0; taken < atHand.codesTaken; ++taken) {
      EXPECT_NE(nextKeyCode(state, source), noKey) << atHand.what;
    }
    EXPECT_EQ(codeHeld(state) || stream.codeReady(), atHand.keyAtHand)
        << atHand.what << ": " << showBytes(atHand.bytes);
  }
  // Taking an answer decodes the keys before it: a key queued behind a
  // release is at hand.
  ByteStream stream;
  stream.awaitAnswers(true);
  stream.feed("\x1b[97;1:3ub\x1b[?62c");
  ASSERT_TRUE(stream.takeAnswer());
  EXPECT_TRUE(stream.codeReady());
}

// A key decoded ahead to answer codeReady is given once by next, with its
// bytes, and not decoded again.
TEST(ByteStreamQueue, keepsWhatItDecodedAheadForNext) {
  ByteStream stream(xterm);
  stream.feed("\x1b[97;1:3u\xe2\x82\xacx");
  ASSERT_TRUE(stream.codeReady());
  std::vector<std::string> texts;
  std::vector<std::string> bytes;
  for (StreamItem item = stream.next(false); item.status == StreamStatus::event; item = stream.next(false)) {
    texts.push_back(codesOf(item.event).characters);
    bytes.push_back(item.event.bytes.value_or("none"));
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"", "\xe2\x82\xac", "x"}));
  EXPECT_EQ(bytes, (std::vector<std::string>{"\x1b[97;1:3u", "\xe2\x82\xac", "x"}));
}

// An awaited answer to the keyboard query that arrives a byte at a time is
// held whole, however long each byte takes, and is no key; once the device
// attributes, the last answer, have come, an ESC is a key's start again.
TEST(ByteStreamAnswers, anAwaitedAnswerArrivingSlowlyIsHeldAndIsNoKey) {
  for (const std::string answer : {"\x1b[?62;22c", "\x9b?62;22c", "\x1b[>4;1m"}) {
    ByteStream stream(xterm);
    stream.awaitAnswers(true);
    for (std::size_t index = 0; index + 1 < answer.size(); ++index) {
      stream.feed(answer.substr(index, 1));
      const StreamItem item = stream.next(false);
      EXPECT_EQ(item.status, StreamStatus::needMore) << showBytes(answer) << " at " << index;
      EXPECT_TRUE(item.partialAnswerHeld) << showBytes(answer) << " at " << index;
    }
    stream.feed(answer.substr(answer.size() - 1));
    const StreamItem item = stream.next(false);
    ASSERT_EQ(item.status, StreamStatus::event) << showBytes(answer);
    if (answer.back() == 'm') {
      // The modifyOtherKeys level: the attributes are still to come.
      EXPECT_EQ(item.event.eventType, EventType::modifyOtherKeysAnswer);
      continue;
    }
    EXPECT_EQ(item.event.eventType, EventType::deviceAttributesAnswer) << showBytes(answer);
    EXPECT_FALSE(stream.awaitingAnswers());
    stream.feed("\x1b");
    EXPECT_FALSE(stream.next(false).partialAnswerHeld) << "an Escape after the answers";
  }
  // Not awaited, or not an answer's start, the Escape wait decides.
  ByteStream stream(xterm);
  stream.feed("\x1b[?6");
  EXPECT_FALSE(stream.next(false).partialAnswerHeld);
  stream.awaitAnswers(true);
  stream.feed("x");
  EXPECT_FALSE(stream.next(false).partialAnswerHeld) << "ESC [ ? 6 x is no answer";
}

}  // namespace
