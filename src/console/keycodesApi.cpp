// The library's C interface: the reader of the tool, behind plain C
// functions. No C++ exception crosses into a C caller: one that escapes the
// reader counts as no key.

#include "console/consoleHandover.hpp"
#include "console/readKey.hpp"
#include "keycodes.h"

static_assert(KEYCODES_NO_KEY == noKey, "the C interface's no-key value is the reader's");

// The library's objects are built with hidden symbols: these four are the
// ones the shared library exports.
#if defined(__GNUC__) && !defined(_WIN32)
#define KEYCODES_EXPORT __attribute__((visibility("default")))
#else
#define KEYCODES_EXPORT
#endif

extern "C" {

KEYCODES_EXPORT int keycodes_read_key(void) {
  try {
    takeConsoleUpAgain();
    return readKey();
  } catch (...) {
    return KEYCODES_NO_KEY;
  }
}

KEYCODES_EXPORT int keycodes_key_available(void) {
  try {
    takeConsoleUpAgain();
    return keyAvailable() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

KEYCODES_EXPORT void keycodes_restore_terminal(void) { handBackConsole(); }

KEYCODES_EXPORT void keycodes_set_signal_handling(int enabled) { setSignalRestore(enabled != 0); }

}  // extern "C"
