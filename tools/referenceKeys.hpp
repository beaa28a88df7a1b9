#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The keys the key reference lists, by their scan codes, in groups. Their
// names come from the tool's key names and the codes each key gives from
// the key tables, never from here.

struct ReferenceKey {
  // The key's name as --explain shows it.
  std::string_view name;
  std::uint16_t scanCode;
  // The console marks the cursor block, keypad Enter and keypad slash as
  // enhanced keys; those are looked up in the enhanced-key table.
  bool enhanced;
};

struct KeyGroup {
  std::string_view title;
  // One paragraph shown under the title; empty when there is none.
  std::string_view note;
  std::vector<ReferenceKey> keys;
};

std::vector<KeyGroup> referenceGroups();
