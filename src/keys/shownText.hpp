#pragma once

#include <string>
#include <string_view>

// Text from outside (an argument, a key's characters) made safe to write to
// a terminal: every byte or character that could act on the terminal or
// reorder the text around it is written as \xNN, one per byte. Pure: the
// caller says whether the output takes UTF-8.
//
// Written as they are: printable ASCII, and where the output takes UTF-8
// every well-formed character except the C1 controls (U+0080..U+009F) and
// the invisible marks that reorder or join text (U+200B..U+200F,
// U+2028..U+202E, U+2066..U+2069, U+FEFF). Shown as \xNN: the C0 controls,
// DEL, and every other byte, 0x80..0x9F among them, which a terminal in a
// legacy 8-bit mode reads as C1 controls (0x9B starts a CSI).
std::string shownText(std::string_view bytes, bool utf8Output);
