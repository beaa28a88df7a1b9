#pragma once

#include <optional>

#include "keys/keyExplanation.hpp"
#include "keys/keyReader.hpp"

// The next key code from the console keyboard, one code per call. Blocks
// until a code is available; the key is not echoed and needs no Enter.
// Returns 0..255 for a delivered byte, or noKey (-1) when no key could be
// read. A key that carries no character gives two codes on two successive
// calls: a lead code (0 or 224), then the key's code.
int readKey();

// Whether the first readKey found no keyboard to open: no controlling
// terminal, or on Windows no console. Every readKey then returns -1.
bool keyboardMissing();

// The normal end of the run: the keyboard goes back as it was found, and
// what was sent to the tool and not read is thrown away (on a terminal: the
// rest of a paste, what arrives in the same burst), so that it never
// reaches the shell. Nothing is read after it.
void endKeyInput();

// Whether the next readKey has a code at hand, so that it returns without
// waiting for the user: a held code, or a key already delivered by the
// console and not yet read (on a terminal: the bytes of a whole key that
// gives a code, after taking in what the terminal has ready without
// waiting). Never blocks. False before the first readKey. The run flushes
// its rows only when this is false, so keys that arrive together have their
// rows written together, and a row is on screen before every wait.
bool keyAvailable();

// What made the key whose first code the last readKey returned, for
// --explain: its event, its characters and, on a terminal, the bytes the
// terminal sent. Nothing when the last readKey returned a later code of a
// key (a held second code, the second byte of a UTF-8 character) or no key.
// Reads nothing; valid until the next readKey.
std::optional<KeyDetails> lastKeyDetails();
