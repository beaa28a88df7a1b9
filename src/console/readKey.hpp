#pragma once

// The next key code from the console keyboard, one code per call. Blocks
// until a code is available; the key is not echoed and needs no Enter.
// Returns 0..255 for a delivered byte, or -1 when no key could be read.
// A key that carries no character gives two codes on two successive calls:
// a lead code (0 or 224), then the key's code.
int readKey();

// What readKey returns when no key could be read.
constexpr int noKey = -1;
