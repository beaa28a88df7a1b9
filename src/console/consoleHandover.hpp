#pragma once

// The console between reads, for a program that reads keys through the
// library and does other things with its terminal in between: the keyboard
// handed back and taken up again, and whether signals restore it.

// Gives the console back as it was before the first read, now.
// Async-signal-safe.
void handBackConsole();

// Before a read: takes the console up again if it was handed back (by
// handBackConsole, or while a handler of the program's ran). Does nothing
// while the reader holds it or before the first read.
void takeConsoleUpAgain();

// Whether the console is restored on the signals that end or stop the
// process (the default), by handlers that call one the program installed
// before them. Off, signals are left alone.
void setSignalRestore(bool enabled);
