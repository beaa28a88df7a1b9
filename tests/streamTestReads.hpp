#pragma once

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "streamReads.hpp"

// The keys of `input` arriving in `reads`, every rule the stream breaks on
// the way a test failure that shows the input.
inline std::vector<StreamKey> keysOfReads(std::string_view input, TerminalFamily family, const std::vector<Read>& reads,
                                          KeyReporting keyNumbers = {}) {
  return keysOfReads(
      input, family, reads,
      [input](const char* rule, std::size_t fedBytes) {
        ADD_FAILURE() << rule << ", at " << fedBytes << " of " << showBytes(input);
      },
      keyNumbers);
}
