#pragma once

#include <string_view>

// The controlling terminal, held in raw input mode from the first key read
// until the tool ends. POSIX only.

// Opens /dev/tty, saves its settings and switches it to raw input mode. From
// then on every way out of the process (return from main, exit, abort, an
// uncaught exception, the terminating signals, a job-control stop) puts the
// saved settings back. Returns the descriptor, or -1 when there is no
// terminal to open.
int openTerminal();

// Sends `enable` to the terminal now and again whenever raw mode is taken up
// after a stop, and `disable` wherever the settings are put back. Both must
// be string literals: they are written from signal handlers.
void useKeyboardMode(std::string_view enable, std::string_view disable);

// Puts the saved settings back. Safe to call more than once and from a
// signal handler; does nothing before openTerminal or after a restore.
void restoreTerminal();
