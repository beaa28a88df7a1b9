// libFuzzer target: arbitrary terminal bytes through the decoder and the
// record logic. Beyond crashes and sanitizer reports it aborts when a
// property breaks: progress, every byte accounted for, the same keys however
// the bytes are split into reads, and codes only in -1..255.
//
// Input: the first byte picks the terminal family, the rest are the bytes
// the terminal sent.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "keys/keyReader.hpp"
#include "keys/keyboardProtocol.hpp"
#include "keys/terminalDecoder.hpp"
#include "decodeFeed.hpp"

namespace {

constexpr int noKey = -1;
constexpr int largestCode = 255;
constexpr std::size_t familyCount = 4;
constexpr std::size_t longestRandomChunk = 17;
// An unfinished string is decoded again from its start after every byte, so
// feeding byte by byte costs the square of the length: longer inputs are fed
// in random chunks only.
constexpr std::size_t longestByteByByteFeed = 1024;
constexpr std::uint64_t fnvOffset = 14695981039346656037ULL;
constexpr std::uint64_t fnvPrime = 1099511628211ULL;
// Bytes per record when the input is read as raw key records.
constexpr std::size_t rawRecordSize = 8;
constexpr std::size_t eventTypeCount = 5;

std::uint64_t hashOf(std::string_view bytes) {
  std::uint64_t hash = fnvOffset;
  for (const char byte : bytes) {
    hash = (hash ^ static_cast<unsigned char>(byte)) * fnvPrime;
  }
  return hash;
}

std::vector<std::size_t> byteByByte(std::size_t size) {
  std::vector<std::size_t> ends;
  for (std::size_t end = 1; end <= size; ++end) {
    ends.push_back(end);
  }
  return ends;
}

// Chunks of 1 to longestRandomChunk bytes, their sizes drawn from `seed`.
std::vector<std::size_t> randomChunks(std::size_t size, std::uint64_t seed) {
  std::vector<std::size_t> ends;
  std::size_t end = 0;
  while (end < size) {
    seed = seed * fnvPrime + 1;
    end += 1 + static_cast<std::size_t>((seed >> 33) % longestRandomChunk);
    ends.push_back(end < size ? end : size);
  }
  return ends;
}

void expectSameSteps(const std::vector<DecodedStep>& whole, const std::vector<DecodedStep>& split,
                     std::string_view bytes, const char* how) {
  std::size_t at = 0;
  for (std::size_t index = 0; index < whole.size() && index < split.size(); ++index) {
    if (!sameStep(whole[index], split[index])) {
      failProperty(how, bytes, at);
    }
    at += whole[index].length;
  }
  if (whole.size() != split.size()) {
    failProperty(how, bytes, at);
  }
}

// Each answer of decodeKey with input still coming is needMore or the
// answer it gives once input has paused: the pause decides only what is
// unfinished at the end.
void expectPauseDecidesOnlyTheEnd(std::string_view bytes, TerminalFamily family,
                                  const std::vector<DecodedStep>& whole) {
  std::size_t start = 0;
  for (const DecodedStep& step : whole) {
    const DecodeResult waiting = decodeKey(bytes.substr(start), family, false);
    if (waiting.status == DecodeStatus::needMore) {
      if (waiting.length != 0) {
        failProperty("needMore with a length", bytes, start);
      }
    } else if (!sameStep({waiting.status, waiting.length, waiting.record}, step)) {
      failProperty("input still coming gives another key than input paused", bytes, start);
    }
    start += step.length;
  }
}

// Every code the record logic gives for `records`, until it has none left.
std::vector<int> codesOf(const std::deque<KeyRecord>& records, bool opens, std::string_view bytes) {
  std::deque<KeyRecord> queue = records;
  RecordSource source;
  source.open = [opens] { return opens; };
  source.beginRead = [] {};
  source.endRead = [] {};
  source.readRecord = [&queue](KeyRecord& record) {
    if (queue.empty()) {
      return false;
    }
    record = queue.front();
    queue.pop_front();
    return true;
  };
  ReaderState state;
  std::vector<int> codes;
  // At most two codes per record, then the end.
  const std::size_t callLimit = 2 * records.size() + 1;
  for (std::size_t calls = 0;; ++calls) {
    if (calls > callLimit) {
      failProperty("record logic gives more than two codes per record", bytes, calls);
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
    failProperty("a key after the records ran out", bytes, codes.size());
  }
  return codes;
}

std::deque<KeyRecord> keyRecordsOf(const std::vector<DecodedStep>& steps) {
  std::deque<KeyRecord> records;
  for (const DecodedStep& step : steps) {
    if (step.status == DecodeStatus::key) {
      records.push_back(step.record);
    }
  }
  return records;
}

// The input read as raw records, such as a console may deliver and the
// decoder never makes: any scan code, any flags.
std::deque<KeyRecord> rawRecordsOf(std::string_view bytes) {
  std::deque<KeyRecord> records;
  for (std::size_t start = 0; start + rawRecordSize <= bytes.size(); start += rawRecordSize) {
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data() + start);
    KeyRecord record;
    record.eventType = static_cast<EventType>(raw[0] % eventTypeCount);
    record.keyDown = (raw[1] & 1U) != 0;
    record.asciiChar = raw[2];
    record.scanCode = static_cast<std::uint16_t>(raw[3] | (raw[4] << 8U));
    record.controlKeyState =
        raw[5] | (static_cast<std::uint32_t>(raw[6]) << 8U) | (static_cast<std::uint32_t>(raw[7]) << 16U);
    records.push_back(record);
  }
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const auto family = static_cast<TerminalFamily>(data[0] % familyCount);
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::vector<DecodedStep> whole = decodeInChunks(bytes, family, {bytes.size()});
  expectPauseDecidesOnlyTheEnd(bytes, family, whole);
  if (bytes.size() > 1) {
    const std::uint64_t hash = hashOf(bytes);
    if (bytes.size() <= longestByteByByteFeed) {
      expectSameSteps(whole, decodeInChunks(bytes, family, byteByByte(bytes.size())), bytes,
                      "fed one byte at a time, the keys differ");
    }
    const std::size_t splitPoint = 1 + static_cast<std::size_t>(hash % (bytes.size() - 1));
    expectSameSteps(whole, decodeInChunks(bytes, family, {splitPoint, bytes.size()}), bytes,
                    "split in two, the keys differ");
    expectSameSteps(whole, decodeInChunks(bytes, family, randomChunks(bytes.size(), hash)), bytes,
                    "fed in random chunks, the keys differ");
  }

  const std::deque<KeyRecord> records = keyRecordsOf(whole);
  codesOf(records, true, bytes);
  if (!codesOf(records, false, bytes).empty()) {
    failProperty("codes although the input could not be opened", bytes, 0);
  }
  codesOf(rawRecordsOf(bytes), true, bytes);

  // The terminal's answer to the keyboard query is looked for in the same
  // bytes, and the TERM name may be anything.
  static_cast<void>(firstProtocolAnswer(bytes));
  static_cast<void>(terminalFamilyOf(bytes));
  return 0;
}
