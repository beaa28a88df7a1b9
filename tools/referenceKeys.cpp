#include "referenceKeys.hpp"

#include <stdexcept>
#include <string>

#include "keys/keyNames.hpp"

namespace {

// A key by its scan code, named as the tool names it.
ReferenceKey referenceKey(std::uint16_t scanCode, bool enhanced) {
  const auto name = keyNameOf(scanCode, enhanced);
  if (!name) {
    throw std::logic_error("no key name for scan code " + std::to_string(scanCode));
  }
  return {*name, scanCode, enhanced};
}

ReferenceKey normal(std::uint16_t scanCode) { return referenceKey(scanCode, false); }
ReferenceKey enhanced(std::uint16_t scanCode) { return referenceKey(scanCode, true); }

}  // namespace

// The keys by scan code, in the order the reference lists them; the names
// are the tool's own (keyNames.cpp).
std::vector<KeyGroup> referenceGroups() {
  return {
      {"Function keys F1 to F12",
       "",
       {normal(59), normal(60), normal(61), normal(62), normal(63), normal(64), normal(65), normal(66), normal(67),
        normal(68), normal(87), normal(88)}},
      {"Cursor block",
       "The six keys above the arrows and the four arrow keys.",
       {enhanced(0x52), enhanced(0x53), enhanced(0x47), enhanced(0x4F), enhanced(0x49), enhanced(0x51), enhanced(0x48),
        enhanced(0x50), enhanced(0x4B), enhanced(0x4D)}},
      {"Keypad with Num Lock off",
       "Terminals that send the same sequences for these keys as for the cursor block (most do, unless they "
       "speak the keyboard enhancement protocol) make them read as the cursor block: 224 and the second code "
       "instead of 0 and the second code.",
       {normal(71), normal(72), normal(73), normal(75), normal(76), normal(77), normal(79), normal(80), normal(81),
        normal(82), normal(83), normal(55), normal(74), normal(78)}},
      {"Keypad Enter and keypad slash",
       "Terminals tell these apart from Enter and slash only with the keyboard enhancement protocol; "
       "elsewhere they read as Enter and slash.",
       {enhanced(0x1C), enhanced(0x35)}},
      {"Digit row",
       "",
       {normal(2), normal(3), normal(4), normal(5), normal(6), normal(7), normal(8), normal(9), normal(10),
        normal(11)}},
      {"Letters", "", {normal(30), normal(48), normal(46), normal(32), normal(18), normal(33), normal(34),
                       normal(35), normal(23), normal(36), normal(37), normal(38), normal(50), normal(49),
                       normal(24), normal(25), normal(16), normal(19), normal(31), normal(20), normal(22),
                       normal(47), normal(17), normal(45), normal(21), normal(44)}},
      {"Punctuation",
       "The keys of a US layout; other layouts put other characters on the same keys.",
       {normal(12), normal(13), normal(26), normal(27), normal(39), normal(40), normal(41), normal(43), normal(51),
        normal(52), normal(53), normal(86)}},
      {"Escape, Tab, Backspace, Enter and Space",
       "Space ends the table. In a terminal a lone Escape shows after a wait of 25 ms with nothing following, "
       "or at once with the keyboard enhancement protocol.",
       {normal(1), normal(15), normal(14), normal(28), normal(57)}},
  };
}
