#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The command line: a few options that answer and exit without touching the
// terminal; without arguments the tool runs its table.

// One value per row of the option table in commandLine.cpp.
enum class Option : std::uint8_t { explain, help, version };

struct CommandLine {
  // The options given, in the order given.
  std::vector<Option> options;
  // The first argument that is not an option of the tool, as given; empty
  // when every argument is one.
  std::string unknownArgument;
  bool unknown = false;
};

// Whether `option` was given.
bool hasOption(const CommandLine& commandLine, Option option);

// Reads the arguments that follow the program name.
CommandLine parseCommandLine(std::span<const char* const> arguments);

// "Usage: keycodes [OPTION]", the line that an unknown option is answered with.
std::string usageLine();

// The usage line, what the tool does, and one line per option.
std::string helpText();

// Answers a command line that asks for something other than the table: the
// help or the version on `output` (status 0, or 1 when it could not be
// written), or for an unknown argument the error and the usage line on
// `errors` (status 2; control bytes in the argument shown as \xNN). An unknown argument
// wins over every option, and help over version. No value when the table
// is to run.
std::optional<int> answerCommandLine(const CommandLine& commandLine, std::ostream& output, std::ostream& errors);
