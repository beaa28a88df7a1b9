#pragma once

// The byte classes of ASCII that the key logic, the names and the cells
// share.

constexpr unsigned char nulByte = 0x00;
constexpr unsigned char bellByte = 0x07;
constexpr unsigned char escapeByte = 0x1B;
constexpr unsigned char firstPrintableByte = 0x20;
constexpr unsigned char deleteByte = 0x7F;
constexpr unsigned char firstNonAsciiByte = 0x80;

constexpr bool isPrintableAscii(unsigned int byte) { return byte >= firstPrintableByte && byte < deleteByte; }
constexpr bool isAscii(unsigned int byte) { return byte < firstNonAsciiByte; }
