#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "keys/pcKey.hpp"

// What the sequences terminals send for keys stand for: the key of a US PC
// keyboard each one is, as data. The decoder finds the sequences; this says
// which key they are.

// Which of the two sequence forms a final byte ends.
enum class SequenceForm : std::uint8_t { csi, ss3 };

// CSI n ~ and the rxvt forms CSI n $, CSI n ^, CSI n @.
std::optional<PcKey> keyOfTildeNumber(int number);

// CSI [ A to CSI [ E: the Linux console's F1 to F5.
std::optional<PcKey> keyOfLinuxFunctionFinal(unsigned char final);

// CSI X, CSI 1;m X and SS3 X for the letter (or other final byte) X.
std::optional<PcKey> keyOfFinal(unsigned char final, SequenceForm form);

// st's own forms, sent while the keypad is not in application mode: the
// parameter bytes and the final byte, e.g. "4" and 'h' for Insert.
std::optional<PcKey> keyOfStSequence(std::string_view parameters, unsigned char final);

// The kitty keyboard protocol numbers its functional keys in Unicode's
// private use area, from the first number to the last: they name no
// character.
constexpr std::uint32_t firstFunctionalKeyNumber = 57344;
constexpr std::uint32_t lastFunctionalKeyNumber = 63743;

// A key number of the kitty keyboard protocol's CSI u form (also the key of
// xterm's CSI 27;m;k~): a Unicode code point or a functional key number.
std::optional<PcKey> keyOfKeyNumber(std::uint32_t number);
