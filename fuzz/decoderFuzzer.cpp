// libFuzzer target: arbitrary terminal bytes through the key byte stream,
// the decoder and the record logic. Beyond crashes and sanitizer reports it
// aborts when a property breaks:
//
// - progress: the stream gives a key, asks for bytes or ends, and never asks
//   for more once input has paused at the end;
// - the pause decides only the end: with input still coming the decoder
//   answers needMore or the key it gives once input has paused;
// - reads split anywhere, with the Escape wait passing after any of them,
//   give the same keys, with the same bytes, as the input read in one piece
//   per pause: each stretch between two pauses in one read, then the
//   pause. With a pause only at the end that is the whole input in one read.
//   (A pause inside a sequence changes its meaning, ESC then [ A is Escape,
//   [ and A, so the pauses are the same on both sides.)
// - eventReady agrees with what next gives without a pause;
// - codes only in -1..255.
//
// Input: the first byte picks the terminal family (its value modulo the
// number of families in the family table) and what CSI u reports mean (the
// quotient's lowest bit: set for modifyOtherKeys), the rest are the bytes
// the terminal sent.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "keys/byteStream.hpp"
#include "keys/keyReader.hpp"
#include "keys/keyboardMode.hpp"
#include "keys/terminalDecoder.hpp"
#include "keys/terminalFamilies.hpp"
#include "streamReads.hpp"

namespace {

constexpr int largestCode = 255;
constexpr std::size_t keyNumberMeaningCount = 2;

// The terminal the input is read for.
struct FuzzedTerminal {
  TerminalFamily family;
  KeyNumberMeaning keyNumbers;
};
constexpr std::size_t longestRandomChunk = 17;
// One pause after about every fourth read.
constexpr std::uint64_t pauseOneIn = 4;
// An unfinished string is decoded again from its start after every byte, so
// feeding byte by byte costs the square of the length: longer inputs are fed
// in random chunks only.
constexpr std::size_t longestByteByByteFeed = 1024;
constexpr std::uint64_t fnvOffset = 14695981039346656037ULL;
constexpr std::uint64_t fnvPrime = 1099511628211ULL;
// Bytes per record when the input is read as raw console records.
constexpr std::size_t rawRecordSize = 8;
constexpr std::size_t eventTypeCount = 8;
constexpr std::size_t keyActionCount = 3;
// The most codes one event gives: the text of a report, 4 bytes for each
// code point of a sequence of at most 64 bytes.
constexpr std::size_t mostCodesPerEvent = 256;

[[noreturn]] void failProperty(const char* what, std::string_view bytes, std::size_t at) {
  static_cast<void>(std::fprintf(stderr, "decoder property broken: %s (at %zu), %zu bytes:", what, at, bytes.size()));
  for (const char byte : bytes) {
    static_cast<void>(std::fprintf(stderr, " %02x", static_cast<unsigned>(static_cast<unsigned char>(byte))));
  }
  static_cast<void>(std::fprintf(stderr, "\n"));
  std::abort();
}

std::uint64_t hashOf(std::string_view bytes) {
  std::uint64_t hash = fnvOffset;
  for (const char byte : bytes) {
    hash = (hash ^ static_cast<unsigned char>(byte)) * fnvPrime;
  }
  return hash;
}

// The keys of `input` arriving in `reads`; any rule the stream breaks on
// the way ends the run.
std::vector<StreamKey> checkedKeysOfReads(std::string_view input, FuzzedTerminal terminal,
                                          const std::vector<Read>& reads) {
  return keysOfReads(
      input, terminal.family, reads,
      [input](const char* rule, std::size_t fedBytes) { failProperty(rule, input, fedBytes); },
      KeyReporting{terminal.keyNumbers});
}

// The same pauses, each stretch between them in one read.
std::vector<Read> readsAtPauses(const std::vector<Read>& reads) {
  std::vector<Read> coarse;
  for (const Read& read : reads) {
    if (read.pauseAfter) {
      coarse.push_back(read);
    }
  }
  return coarse;
}

std::vector<Read> byteByByte(std::size_t size) {
  std::vector<Read> reads;
  for (std::size_t end = 1; end <= size; ++end) {
    reads.push_back({end, end == size});
  }
  return reads;
}

// Reads of 1 to longestRandomChunk bytes, their sizes and pauses drawn from
// `seed`.
std::vector<Read> randomReads(std::size_t size, std::uint64_t seed, bool withPauses) {
  std::vector<Read> reads;
  std::size_t end = 0;
  while (end < size) {
    seed = seed * fnvPrime + 1;
    end += 1 + static_cast<std::size_t>((seed >> 33) % longestRandomChunk);
    const bool pause = withPauses && (seed >> 20) % pauseOneIn == 0;
    reads.push_back({end < size ? end : size, pause || end >= size});
  }
  return reads;
}

void expectSameKeys(std::string_view input, FuzzedTerminal terminal, const std::vector<Read>& reads, const char* how) {
  const std::vector<StreamKey> reference = checkedKeysOfReads(input, terminal, readsAtPauses(reads));
  const std::vector<StreamKey> split = checkedKeysOfReads(input, terminal, reads);
  std::size_t index = 0;
  while (index < reference.size() && index < split.size() && sameKey(reference[index], split[index])) {
    ++index;
  }
  if (index != reference.size() || index != split.size()) {
    failProperty(how, input, index);
  }
}

// Each answer of decodeKey with input still coming is needMore or the
// answer it gives once input has paused.
void expectPauseDecidesOnlyTheEnd(std::string_view bytes, FuzzedTerminal terminal) {
  for (std::size_t start = 0; start < bytes.size();) {
    const std::string_view rest = bytes.substr(start);
    const Decoded paused = decodeKey(rest, terminal.family, true, KeyReporting{terminal.keyNumbers});
    const Decoded waiting = decodeKey(rest, terminal.family, false, KeyReporting{terminal.keyNumbers});
    if (paused.length == 0 || paused.length > rest.size()) {
      failProperty("length outside 1 to the bytes held", bytes, start);
    }
    if (waiting.status == DecodeStatus::needMore) {
      if (waiting.length != 0) {
        failProperty("needMore with a length", bytes, start);
      }
    } else if (!sameEvent(waiting.event, paused.event) || waiting.length != paused.length ||
               waiting.status != paused.status) {
      failProperty("input still coming gives another key than input paused", bytes, start);
    }
    start += paused.length;
  }
}

// Every code the reader gives for `events`, until it has none left.
std::vector<int> codesOf(const std::deque<KeyEvent>& events, bool opens, std::string_view bytes) {
  std::deque<KeyEvent> queue = events;
  EventSource source;
  source.open = [opens] { return opens; };
  source.readEvent = [&queue](KeyEvent& event) {
    if (queue.empty()) {
      return false;
    }
    event = queue.front();
    queue.pop_front();
    return true;
  };
  ReaderState state;
  std::vector<int> codes;
  const std::size_t callLimit = mostCodesPerEvent * events.size() + 1;
  for (std::size_t calls = 0;; ++calls) {
    if (calls > callLimit) {
      failProperty("the reader gives more codes than its events hold", bytes, calls);
    }
    const int code = nextKeyCode(state, source);
    if (code < noKey || code > largestCode) {
      failProperty("code outside -1..255", bytes, calls);
    }
    if (code == noKey) {
      break;
    }
    codes.push_back(code);
  }
  // The tool reads once more after the table: still no key, and no wait.
  if (nextKeyCode(state, source) != noKey) {
    failProperty("a key after the events ran out", bytes, codes.size());
  }
  return codes;
}

std::deque<KeyEvent> eventsOf(const std::vector<StreamKey>& keys) {
  std::deque<KeyEvent> events;
  for (const StreamKey& key : keys) {
    if (key.event) {
      events.push_back(*key.event);
    }
  }
  return events;
}

// The input read as raw events, such as a console may deliver and the
// decoder never makes: any type, scan code and flags, the character byte
// as a console's or, with the second byte's bit 2, the key known by its
// place only.
std::deque<KeyEvent> rawEventsOf(std::string_view bytes) {
  std::deque<KeyEvent> events;
  for (std::size_t start = 0; start + rawRecordSize <= bytes.size(); start += rawRecordSize) {
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data() + start);
    KeyEvent event;
    event.eventType = static_cast<EventType>(raw[0] % eventTypeCount);
    event.action = static_cast<KeyAction>((raw[1] & 3U) % keyActionCount);
    if ((raw[1] & 4U) == 0) {
      event.text = raw[2] != 0 ? std::string(1, static_cast<char>(raw[2])) : std::string();
    }
    event.scanCode = static_cast<std::uint16_t>(raw[3] | (raw[4] << 8U));
    event.controlKeyState =
        raw[5] | (static_cast<std::uint32_t>(raw[6]) << 8U) | (static_cast<std::uint32_t>(raw[7]) << 16U);
    events.push_back(event);
  }
  return events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const auto families = terminalFamilies();
  const FuzzedTerminal terminal{
      families[data[0] % families.size()].family,
      static_cast<KeyNumberMeaning>(data[0] / families.size() % keyNumberMeaningCount),
  };
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  expectPauseDecidesOnlyTheEnd(bytes, terminal);
  const std::vector<StreamKey> whole = checkedKeysOfReads(bytes, terminal, {{bytes.size(), true}});
  if (bytes.size() > 1) {
    const std::uint64_t hash = hashOf(bytes);
    if (bytes.size() <= longestByteByByteFeed) {
      expectSameKeys(bytes, terminal, byteByByte(bytes.size()), "fed one byte at a time, the keys differ");
    }
    const std::size_t splitPoint = 1 + static_cast<std::size_t>(hash % (bytes.size() - 1));
    expectSameKeys(bytes, terminal, {{splitPoint, false}, {bytes.size(), true}}, "split in two, the keys differ");
    expectSameKeys(bytes, terminal, {{splitPoint, true}, {bytes.size(), true}},
                   "split in two with a pause, the keys differ from two reads");
    expectSameKeys(bytes, terminal, randomReads(bytes.size(), hash, false), "fed in random reads, the keys differ");
    expectSameKeys(bytes, terminal, randomReads(bytes.size(), hash, true),
                   "fed in random reads with pauses, the keys differ from one read per pause");
  }

  const std::deque<KeyEvent> events = eventsOf(whole);
  codesOf(events, true, bytes);
  if (!codesOf(events, false, bytes).empty()) {
    failProperty("codes although the input could not be opened", bytes, 0);
  }
  codesOf(rawEventsOf(bytes), true, bytes);

  // The terminal's answer to the keyboard query is looked for in the same
  // bytes, and the TERM name may be anything.
  ByteStream answers(terminal.family);
  answers.feed(bytes);
  static_cast<void>(answers.takeAnswer());
  static_cast<void>(keyboardModeFor(familyOfTerm(bytes), QueryAnswers{ProtocolAnswer::legacy, std::nullopt}));
  return 0;
}
