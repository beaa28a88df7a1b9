#pragma once

// A burst of mixed keys, as a fast typist or a paste sends them, with the
// codes the tool gives for them known apart from its decoder.

#include <cstddef>
#include <string>
#include <vector>

struct KeyBurst {
  std::string bytes;
  std::vector<int> codes;
};

// `size` bytes of letters, UTF-8 characters, cursor and function keys, a
// Ctrl combination, NUL, DEL and any other byte but ESC and space, drawn
// from `seed`, so the same seed gives the same burst.
KeyBurst mixedKeyBurst(std::size_t size, unsigned seed);
