#pragma once

// A program running in a pseudo-terminal of its own: started, driven through
// the master side, ended and reaped.

#include <sys/types.h>

#include <string>
#include <string_view>

#include "benchClock.hpp"

struct PtyProgram;
void abandonProgram(PtyProgram& program);

struct PtyProgram {
  std::string name;
  pid_t pid = -1;
  int masterFd = -1;
  // Text read from the terminal and not yet consumed, control sequences
  // taken out.
  std::string output;
  // The start of a control sequence cut off at the end of the last read.
  std::string carry;
  // Whether a device attributes request is answered, as a terminal does.
  bool answersAttributes = true;
  // Whether the keyboard enhancement query is answered before it.
  bool answersEnhancedKeys = false;
  // Answers not yet taken by a full terminal input side.
  std::string pendingAnswers;
  int controlSequences = 0;
  int attributeRequests = 0;

  PtyProgram() = default;
  PtyProgram(const PtyProgram&) = delete;
  PtyProgram& operator=(const PtyProgram&) = delete;
  // A program still running here was not ended cleanly: kill and reap it.
  ~PtyProgram() { abandonProgram(*this); }
};

// What the end of a program showed at its closing prompt.
struct ClosingFigures {
  long peakResidentKb = -1;
  std::string residentByMapping;
  // The control sequences written over the whole run.
  int controlSequences = 0;
  int attributeRequests = 0;
};

// Starts `path` in a new pseudo-terminal, TERM as the benchmark's own.
void spawnProgram(PtyProgram& program, const std::string& path, const std::string& name, bool answersAttributes);

// Waits until the terminal has echo and line editing off.
void waitForRawMode(PtyProgram& program, TimePoint deadline);

// Writes all of `bytes` to the terminal.
void sendBytes(PtyProgram& program, std::string_view bytes, TimePoint deadline);

// Writes what the terminal's input side takes of the answers held for the
// program, without waiting.
void sendPendingAnswers(PtyProgram& program);

// Ends the table with a space, reads the memory figures at the closing
// prompt, answers it and reaps the program; throws unless it exits with 0.
ClosingFigures endProgram(PtyProgram& program);

// Throws a failure naming the program.
[[noreturn]] void failProgram(const PtyProgram& program, const std::string& message);
