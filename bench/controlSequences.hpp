#pragma once

// The control sequences a program writes to its terminal between the text:
// taken out of the output, and the device attributes request answered the
// way a plain terminal answers it.

#include <string>
#include <string_view>

// A plain VT100-like terminal: no enhanced keyboard reports.
constexpr std::string_view deviceAttributesAnswer = "\x1b[?1;2c";
// The answer to CSI ? u of a terminal with the enhanced key reports, none of
// them pushed yet.
constexpr std::string_view enhancedKeysAnswer = "\x1b[?0u";

struct SequenceCount {
  int sequences = 0;
  int attributeRequests = 0;
};

// Appends `bytes` to `text` without the CSI sequences in them. A sequence
// cut off at the end stays in `carry` and is completed by the next call.
// An ESC not followed by '[' is text: a table row shows the ESC key so.
SequenceCount takeOutSequences(std::string& carry, std::string_view bytes, std::string& text);
