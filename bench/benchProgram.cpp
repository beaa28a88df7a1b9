#include "benchProgram.hpp"

#include <sys/wait.h>

#include <exception>
#include <stdexcept>

#include "processMemory.hpp"
#include "tableRow.hpp"
#include "transcript.hpp"

namespace {

constexpr char primerKey = 'a';
constexpr char finalKey = 'x';
constexpr int mappingsShown = 6;
constexpr std::size_t shownBytes = 120;

std::chrono::milliseconds timeLeft(BenchClock::time_point deadline) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - BenchClock::now());
}

// One more read before the deadline; throws when nothing comes.
void readMore(BenchProgram& program, BenchClock::time_point deadline, const std::string& what) {
  const std::chrono::milliseconds left = timeLeft(deadline);
  if (left.count() <= 0 || !readChunk(program.process, program.screen, left)) {
    failProgram(program, "timed out or closed its terminal waiting for " + what + "; holding " +
                             visibleBytes(std::string_view(program.screen).substr(0, shownBytes)));
  }
}

}  // namespace

void failProgram(const BenchProgram& program, const std::string& message) {
  throw std::runtime_error(program.name + ": " + message);
}

void startProgram(BenchProgram& program, const BenchSettings& settings, int index) {
  program.name = programName(index);
  PtyOptions options;
  options.term = "xterm";
  program.process = startInPty(settings.paths[index], options);
  if (program.process.pid < 0) {
    failProgram(program, "cannot be started");
  }
  const auto deadline = BenchClock::now() + stepTimeout;
  while (program.screen.find(ruleLineOnScreen) == std::string::npos) {
    readMore(program, deadline, "the rule line");
  }
}

void settleProgram(BenchProgram& program, const BenchSettings& settings, int index) {
  if (index == keycodesIndex && !answerKeyboardQuery(program.process, program.screen, settings.answer)) {
    failProgram(program, "never asked for the keyboard: " + visibleBytes(program.screen));
  }
  if (!waitForRawMode(program.process, stepTimeout)) {
    failProgram(program, "never switched its terminal to raw mode");
  }
  // Whatever the program writes once the answer is in, e.g. the keyboard
  // mode it switches on, comes before the letter's row.
  sendBytes(program.process, std::string(1, primerKey));
  const std::string row = asTerminalShowsIt(expectedRow(primerKey));
  const auto deadline = BenchClock::now() + stepTimeout;
  while (!program.screen.ends_with(row)) {
    readMore(program, deadline, "the row of the first letter");
  }
  program.screen.clear();
}

void awaitBytes(BenchProgram& program, std::size_t byteCount, std::chrono::milliseconds timeout) {
  const auto deadline = BenchClock::now() + timeout;
  while (program.screen.size() < byteCount) {
    readMore(program, deadline, std::to_string(byteCount) + " bytes of rows");
  }
}

std::vector<int> takeRows(BenchProgram& program, std::size_t rowCount, std::chrono::milliseconds timeout) {
  const auto deadline = BenchClock::now() + timeout;
  std::vector<int> codes;
  std::size_t used = 0;
  for (;;) {
    const ParsedRows parsed = parseRows(std::string_view(program.screen).substr(used), codes);
    used += parsed.used;
    if (parsed.malformed) {
      failProgram(program, "wrote a malformed row after " + std::to_string(codes.size()) +
                               " rows: " + visibleBytes(std::string_view(program.screen).substr(used, shownBytes)));
    }
    if (codes.size() >= rowCount) {
      program.screen.erase(0, used);
      return codes;
    }
    readMore(program, deadline, std::to_string(rowCount) + " rows");
  }
}

double timeKeyRows(BenchProgram& program, std::string_view keys, std::size_t rowCount, std::vector<int>& codes) {
  if (!program.screen.empty()) {
    failProgram(program, "wrote unexpected output: " + visibleBytes(program.screen));
  }
  const auto start = BenchClock::now();
  sendBytes(program.process, keys);
  codes = takeRows(program, rowCount, stepTimeout);
  return millisecondsSince(start);
}

void endProgram(BenchProgram& program, ProgramFigures& figures) {
  std::vector<int> codes;
  timeKeyRows(program, " ", 1, codes);
  if (codes.front() != ' ') {
    failProgram(program, "the space key gave code " + std::to_string(codes.front()));
  }
  const auto deadline = BenchClock::now() + stepTimeout;
  while (!program.screen.ends_with(closingPrompt)) {
    readMore(program, deadline, "the closing prompt");
  }
  figures.peakResidentKb.push_back(peakResidentKb(program.process.pid));
  figures.residentByMapping = residentByMapping(program.process.pid, mappingsShown);
  sendBytes(program.process, std::string(1, finalKey));
  const int status = waitForExit(program.process, stepTimeout);
  closePty(program.process);
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    failProgram(program, "did not exit with 0 (wait status " + std::to_string(status) + ")");
  }
}

int programInTurn(int round, int position) { return (round + position) % programCount; }

void runWithPair(const BenchSettings& settings, BenchResults& results, const std::string& phase, const PairBody& body) {
  try {
    BenchProgram programs[programCount];
    for (int index = 0; index < programCount; ++index) {
      startProgram(programs[index], settings, index);
      settleProgram(programs[index], settings, index);
    }
    body(programs);
    for (int index = 0; index < programCount; ++index) {
      endProgram(programs[index], results.figures[index]);
    }
  } catch (const std::exception& error) {
    results.failures.push_back(phase + ": " + error.what());
  }
}
