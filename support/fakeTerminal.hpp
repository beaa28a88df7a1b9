#pragma once

// A terminal that answers the tool's keyboard query: the tool asks for the
// keyboard enhancement flags (CSI ? u) and then for the primary device
// attributes (CSI c), which every terminal answers; a terminal that knows
// the enhanced key reports answers the flags first.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "ptyHarness.hpp"

enum class KeyboardAnswer : std::uint8_t {
  none,                   // a terminal that answers nothing
  deviceAttributes,       // a plain terminal: the device attributes only
  enhancedKeys,           // the enhancement flags, none pushed yet, then the device attributes
  modifyOtherKeysLevel1,  // xterm with modifyOtherKeys at 1: that level, then the device attributes
};

// The request every terminal answers, the last one of the query.
constexpr std::string_view deviceAttributesRequest = "\x1b[c";
// A VT220-class terminal's device attributes.
constexpr std::string_view deviceAttributesAnswer = "\x1b[?62;22c";
constexpr std::string_view enhancedKeysAnswer = "\x1b[?0u";
constexpr std::string_view modifyOtherKeysLevel1Answer = "\x1b[>4;1m";

// The bytes such a terminal sends back.
std::string answerText(KeyboardAnswer answer);

// Reads into `output` until it holds the device attributes request (it may
// be there already), then after `delay` sends the answer. False when the
// request did not come within the time.
bool answerKeyboardQuery(const PtyProcess& process, std::string& output, KeyboardAnswer answer,
                         std::chrono::milliseconds delay = std::chrono::milliseconds(0));
