#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "keys/terminalDecoder.hpp"

// The decoder driven as the terminal source drives it, with every answer
// checked on the way; a broken property ends the process with a message.

// One key or skipped sequence, as decodeKey answered it.
struct DecodedStep {
  DecodeStatus status = DecodeStatus::needMore;
  std::size_t length = 0;
  KeyRecord record;
};

// Prints what failed, where (a byte offset or a call count), and the bytes
// in hex, then aborts.
[[noreturn]] void failProperty(const char* what, std::string_view bytes, std::size_t at);

bool sameStep(const DecodedStep& left, const DecodedStep& right);

// Decodes `bytes` arriving in chunks that end at `chunkEnds` (ascending, the
// last one bytes.size()): after needMore the next chunk is appended; once
// the last chunk is in, input has paused. Checks that every answer stays
// within the bytes held and makes progress, that needMore comes only while
// more is to come, and that the steps add up to every byte.
std::vector<DecodedStep> decodeInChunks(std::string_view bytes, TerminalFamily family,
                                        const std::vector<std::size_t>& chunkEnds);
