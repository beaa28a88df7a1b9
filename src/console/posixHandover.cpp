// The console between reads on a POSIX terminal: the process's terminal
// session does the work.

#include "console/consoleHandover.hpp"
#include "console/terminalSession.hpp"

void handBackConsole() { restoreTerminal(); }

void takeConsoleUpAgain() { takeTerminalUpAgain(); }

void setSignalRestore(bool enabled) { setRestoreHandlers(enabled); }
