#include "app/commandLine.hpp"

#include <algorithm>
#include <ostream>
#include <string_view>

#include "app/version.hpp"
#include "keys/shownText.hpp"
#include "keys/utf8.hpp"

namespace {

constexpr int successStatus = 0;
// The help or the version could not be written (a full disk, a closed pipe).
constexpr int writeErrorStatus = 1;
constexpr int usageErrorStatus = 2;

struct OptionSpelling {
  std::string_view shortName;
  std::string_view longName;
  Option option;
  std::string_view description;
};

// Every option of the tool, one row each; the help text lists them in this
// order.
constexpr OptionSpelling optionTable[] = {
    {"-e", "--explain", Option::explain, "name each key and show what the terminal sent for it"},
    {"-h", "--help", Option::help, "show this help and exit"},
    {"-V", "--version", Option::version, "show the version and exit"},
};

constexpr std::string_view programName = "keycodes";

// The option table's row of a short option letter or a long option name.
const OptionSpelling* spellingOf(std::string_view given) {
  const auto* row = std::ranges::find_if(
      optionTable, [given](const OptionSpelling& each) { return given == each.shortName || given == each.longName; });
  return row != std::end(optionTable) ? row : nullptr;
}

// The first problem is the one reported.
void noteError(CommandLine& commandLine, UsageError error, std::string_view argument) {
  if (commandLine.error == UsageError::none) {
    commandLine.error = error;
    commandLine.errorArgument = argument;
  }
}

// "--name" or "--name=value".
void readLongOption(CommandLine& commandLine, std::string_view argument) {
  const std::size_t equals = argument.find('=');
  const std::string_view name = argument.substr(0, equals);
  const OptionSpelling* spelling = spellingOf(name);
  if (spelling == nullptr) {
    noteError(commandLine, UsageError::unknownOption, argument);
  } else if (equals != std::string_view::npos) {
    noteError(commandLine, UsageError::valueNotTaken, name);
  } else {
    commandLine.options.push_back(spelling->option);
  }
}

// "-e" or a group such as "-eh"; an unknown letter is named on its own, with
// the rest of its UTF-8 character.
void readShortOptions(CommandLine& commandLine, std::string_view argument) {
  for (std::size_t at = 1; at < argument.size(); ++at) {
    const char option[] = {'-', argument[at]};
    if (const OptionSpelling* spelling = spellingOf(std::string_view(option, sizeof option))) {
      commandLine.options.push_back(spelling->option);
      continue;
    }
    const std::size_t length = std::max<std::size_t>(1, utf8CharacterLength(static_cast<unsigned char>(argument[at])));
    std::string named = "-";
    named.append(argument.substr(at, length));
    noteError(commandLine, UsageError::unknownOption, named);
    return;
  }
}

// The text of a usage error, before the usage line.
std::string errorText(const CommandLine& commandLine, bool utf8Output) {
  const std::string shown = shownText(commandLine.errorArgument, utf8Output);
  switch (commandLine.error) {
    case UsageError::unknownOption:
      return "unknown option '" + shown + "'";
    case UsageError::unexpectedArgument:
      return "unexpected argument '" + shown + "'";
    case UsageError::valueNotTaken:
      return "option '" + shown + "' takes no value";
    case UsageError::none:
      break;
  }
  return {};
}

// Status 0 when everything written to `output` went out.
int writtenStatus(std::ostream& output) {
  output.flush();
  return output ? successStatus : writeErrorStatus;
}

}  // namespace

bool hasOption(const CommandLine& commandLine, Option option) {
  return std::ranges::find(commandLine.options, option) != commandLine.options.end();
}

CommandLine parseCommandLine(std::span<const char* const> arguments) {
  CommandLine commandLine;
  bool optionsEnded = false;
  for (const char* argument : arguments) {
    const std::string_view given = argument != nullptr ? argument : "";
    if (!optionsEnded && given == "--") {
      optionsEnded = true;
    } else if (optionsEnded || given.size() < 2 || given[0] != '-') {
      // "-" alone, like anything after "--", is an argument, not an option.
      noteError(commandLine, UsageError::unexpectedArgument, given);
    } else if (given[1] == '-') {
      readLongOption(commandLine, given);
    } else {
      readShortOptions(commandLine, given);
    }
  }
  return commandLine;
}

std::string usageLine() { return "Usage: " + std::string(programName) + " [OPTION]"; }

std::string helpText() {
  std::string text = usageLine() +
                     "\n"
                     "Shows the character code the console delivers for each key pressed: one\n"
                     "table row per code, with the character and the code in decimal,\n"
                     "hexadecimal and octal. Keys without a character give two codes, a lead\n"
                     "(0 or 224) and the key's code. Space ends the table; one more key ends\n"
                     "the tool.\n"
                     "\n"
                     "Options:\n";
  for (const OptionSpelling& row : optionTable) {
    std::string names = "  " + std::string(row.shortName) + ", " + std::string(row.longName);
    constexpr std::size_t descriptionColumn = 18;
    names.resize(std::max(descriptionColumn, names.size() + 1), ' ');
    text += names + std::string(row.description) + "\n";
  }
  text +=
      "\n"
      "With --explain the row of each key's first code ends in the key's name, as\n"
      "on a US PC keyboard, and the bytes the terminal sent (on Windows: the\n"
      "console's input record). F1 in a terminal that sends ESC O P gives:\n"
      "             |      0      |      0      |      0        F1  \"\\eOP\"\n";
  return text;
}

std::optional<int> answerCommandLine(const CommandLine& commandLine, std::ostream& output, std::ostream& errors,
                                     bool utf8Output) {
  if (commandLine.error != UsageError::none) {
    errors << programName << ": " << errorText(commandLine, utf8Output) << '\n'
           << usageLine() << '\n'
           << "Try '" << programName << " --help'.\n";
    errors.flush();
    return usageErrorStatus;
  }
  if (hasOption(commandLine, Option::help)) {
    output << helpText();
    return writtenStatus(output);
  }
  if (hasOption(commandLine, Option::version)) {
    output << programName << ' ' << keycodesVersion << '\n';
    return writtenStatus(output);
  }
  return std::nullopt;
}
