#pragma once

#include <gtest/gtest.h>
#include <termios.h>

#include <string>

#include "ptyHarness.hpp"
#include "transcript.hpp"

// Checks of the terminal settings that every pty test makes.

// The raw input mode the tool holds while it reads keys.
inline bool isRawMode(const struct termios& settings) {
  return (settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) == 0 &&
         (settings.c_iflag & (IXON | ICRNL | INLCR | IGNCR | ISTRIP)) == 0 && settings.c_cc[VMIN] == 1 &&
         settings.c_cc[VTIME] == 0;
}

// The terminal is back as a fresh pty starts, which is how every test starts
// the tool.
inline void expectSettingsRestored(const PtyProcess& process) {
  const struct termios fresh = freshTerminalSettings();
  const struct termios after = currentSettings(process);
  EXPECT_TRUE(sameSettings(fresh, after))
      << "after:  " << describeSettings(after) << "\nfresh:  " << describeSettings(fresh);
}
