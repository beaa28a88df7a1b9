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

// What is wrong with a command line, if anything.
enum class UsageError : std::uint8_t {
  none,
  unknownOption,       // "-x", "--explainn", or a letter of a group ("-ex")
  unexpectedArgument,  // the tool takes no arguments but its options
  valueNotTaken,       // "--explain=1"
};

struct CommandLine {
  // The options given, in the order given; grouped short options ("-eh")
  // one by one.
  std::vector<Option> options;
  // The first thing wrong, and what it concerns as given: the unknown
  // option, the argument, or the option that was given a value.
  UsageError error = UsageError::none;
  std::string errorArgument;
};

// Whether `option` was given.
bool hasOption(const CommandLine& commandLine, Option option);

// Reads the arguments that follow the program name: long options, short
// options alone or grouped, and "--", which ends the options.
CommandLine parseCommandLine(std::span<const char* const> arguments);

// "Usage: keycodes [OPTION]", the line that a usage error is answered with.
std::string usageLine();

// The usage line, what the tool does, and one line per option.
std::string helpText();

// Answers a command line that asks for something other than the table: the
// help or the version on `output` (status 0, or 1 when it could not be
// written), or for a usage error the error, the usage line and a pointer to
// --help on `errors` (status 2). The argument the error names is shown by
// the rule of shownText, so it cannot act on the terminal; `utf8Output`
// says whether the output takes UTF-8. A usage error wins over every
// option, and help over version. No value when the table is to run.
std::optional<int> answerCommandLine(const CommandLine& commandLine, std::ostream& output, std::ostream& errors,
                                     bool utf8Output);
