#pragma once

#include <string_view>

// Writes all of `bytes` to `descriptor`, also when its file description is
// non-blocking (left so by another program): a write that would block waits
// until the descriptor takes more, so nothing is lost. 0, or the error
// number of the write that failed (EPIPE for a closed pipe, ENOSPC, ...).
int writeAllTo(int descriptor, std::string_view bytes);
