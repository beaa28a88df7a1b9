#pragma once

#include <cstddef>

// Standard output as the run writes it: through std::cout, on a buffer of
// the tool's own that writes every byte, waiting where the output is not
// ready, or says why it could not.

// Puts std::cout on that buffer. Called once, before anything is written.
void takeOverStandardOutput();

// The error number (errno) of the first write to standard output that
// failed; 0 while every write went out. After a failure nothing more is
// written and std::cout is in its failed state.
int standardOutputError();

// The platform's write of all of `count` bytes to standard output: 0, or the
// error number of the write that failed.
int writeStandardOutput(const char* bytes, std::size_t count);
