// The console between reads on Windows: the reader switches the console's
// input mode only around each read and puts it back at once, so between
// reads there is nothing to hand back or take up, and the console sends no
// signals for the reader to answer.

#include "console/consoleHandover.hpp"

void handBackConsole() {}

void takeConsoleUpAgain() {}

void setSignalRestore(bool /*enabled*/) {}
