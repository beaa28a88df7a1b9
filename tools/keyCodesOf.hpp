#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "keys/keyTables.hpp"
#include "referenceKeys.hpp"

// The column titles of the modifier states, in the order of KeyState.
constexpr std::array<std::string_view, keyStateCount> stateNames{"plain", "Shift", "Ctrl", "Alt"};

// The codes the tool shows for `key` pressed in `state`, one per table row:
// two for a key that gives a lead code and a second code, one for a key that
// gives a character, none when it gives neither.
std::vector<int> codesOfKey(const ReferenceKey& key, KeyState state);

// True for the codes of characters that can be shown as they are (not
// space, not control characters, not bytes above ASCII).
bool isVisibleCharacter(int code);

// One table cell: `noCodes` when there are none, the codes in decimal
// separated by a comma and a space, and after a single visible character's
// code the character as `showCharacter` writes it in the document's markup.
std::string codesCell(const std::vector<int>& codes, std::string_view noCodes,
                      const std::function<std::string(char)>& showCharacter);
