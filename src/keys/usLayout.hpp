#pragma once

#include <optional>

#include "keys/pcKey.hpp"

// The US PC layout: which key, with which Shift or Ctrl, types an ASCII
// byte. The characters come from the key tables' plain and Shift columns,
// so the layout is written down once.

// The key and Shift state that type a printable ASCII character; nothing
// for any other byte.
std::optional<PcKey> keyOfCharacter(unsigned char character);

// The key that types an ASCII byte, with the Shift or Ctrl it takes: control
// bytes are Ctrl and a key, except those of Backspace, Tab, Enter and
// Escape, and DEL is Backspace. Nothing for bytes of 0x80 or more.
std::optional<PcKey> keyOfByte(unsigned char byte);
