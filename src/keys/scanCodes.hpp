#pragma once

#include <cstdint>

// The keys of a US PC keyboard that the key logic names, by their scan code
// (set 1).

constexpr std::uint16_t escapeScan = 1;
constexpr std::uint16_t twoScan = 3;
constexpr std::uint16_t backspaceScan = 14;
constexpr std::uint16_t tabScan = 15;
constexpr std::uint16_t enterScan = 28;
constexpr std::uint16_t leftCtrlScan = 29;
constexpr std::uint16_t leftShiftScan = 42;
constexpr std::uint16_t rightShiftScan = 54;
constexpr std::uint16_t keypadAsteriskScan = 55;
constexpr std::uint16_t leftAltScan = 56;
constexpr std::uint16_t capsLockScan = 58;
constexpr std::uint16_t numLockScan = 69;
constexpr std::uint16_t scrollLockScan = 70;
constexpr std::uint16_t keypadMinusScan = 74;
constexpr std::uint16_t keypadFiveScan = 76;
constexpr std::uint16_t keypadPlusScan = 78;
// Enhanced keys, which share their scan codes with others.
constexpr std::uint16_t printScreenScan = 0x37;
constexpr std::uint16_t leftWindowsScan = 0x5B;
constexpr std::uint16_t rightWindowsScan = 0x5C;
constexpr std::uint16_t applicationScan = 0x5D;
