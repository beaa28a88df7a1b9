#include "decodeFeed.hpp"

#include <cstdio>
#include <cstdlib>

namespace {

bool sameRecord(const KeyRecord& left, const KeyRecord& right) {
  return left.eventType == right.eventType && left.keyDown == right.keyDown && left.asciiChar == right.asciiChar &&
         left.scanCode == right.scanCode && left.controlKeyState == right.controlKeyState;
}

}  // namespace

void failProperty(const char* what, std::string_view bytes, std::size_t at) {
  static_cast<void>(std::fprintf(stderr, "decoder property broken: %s (at %zu), %zu bytes:", what, at, bytes.size()));
  for (const char byte : bytes) {
    static_cast<void>(std::fprintf(stderr, " %02x", static_cast<unsigned>(static_cast<unsigned char>(byte))));
  }
  static_cast<void>(std::fprintf(stderr, "\n"));
  std::abort();
}

bool sameStep(const DecodedStep& left, const DecodedStep& right) {
  return left.status == right.status && left.length == right.length && sameRecord(left.record, right.record);
}

std::vector<DecodedStep> decodeInChunks(std::string_view bytes, TerminalFamily family,
                                        const std::vector<std::size_t>& chunkEnds) {
  std::vector<DecodedStep> steps;
  std::size_t start = 0;
  std::size_t held = 0;
  std::size_t nextChunk = 0;
  // Each call either uses at least one byte or takes in the next chunk.
  const std::size_t callLimit = bytes.size() + chunkEnds.size();
  for (std::size_t calls = 0; start < bytes.size(); ++calls) {
    if (calls > callLimit) {
      failProperty("no progress: more decode calls than bytes and chunks", bytes, start);
    }
    if (held == start && nextChunk < chunkEnds.size()) {
      held = chunkEnds[nextChunk++];
    }
    const bool paused = nextChunk == chunkEnds.size();
    const std::string_view pending = bytes.substr(start, held - start);
    const DecodeResult result = decodeKey(pending, family, paused);
    if (result.status == DecodeStatus::needMore) {
      if (paused) {
        failProperty("needMore although input has paused", bytes, start);
      }
      if (result.length != 0) {
        failProperty("needMore with a length", bytes, start);
      }
      held = chunkEnds[nextChunk++];
      continue;
    }
    if (result.length == 0 || result.length > pending.size()) {
      failProperty("length outside 1 to the bytes held", bytes, start);
    }
    steps.push_back({result.status, result.length, result.record});
    start += result.length;
  }
  std::size_t accounted = 0;
  for (const DecodedStep& step : steps) {
    accounted += step.length;
  }
  if (accounted != bytes.size()) {
    failProperty("keys and skipped sequences do not add up to the input", bytes, accounted);
  }
  return steps;
}
