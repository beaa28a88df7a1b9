#include "app/commandLine.hpp"

#include <algorithm>
#include <ostream>
#include <string_view>

#include "app/version.hpp"

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

// An argument as the error names it: control bytes as \xNN, so that an
// argument holding ESC or CR cannot act on the terminal the error goes to.
std::string shownArgument(std::string_view argument) {
  constexpr char hexDigits[] = "0123456789abcdef";
  constexpr unsigned char deleteByte = 0x7F;
  std::string shown;
  for (const char character : argument) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte < ' ' || byte == deleteByte) {
      shown += "\\x";
      shown += hexDigits[byte >> 4];
      shown += hexDigits[byte & 0x0F];
    } else {
      shown += character;
    }
  }
  return shown;
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
  for (const char* argument : arguments) {
    const std::string_view given = argument != nullptr ? argument : "";
    const auto* spelling = std::ranges::find_if(
        optionTable, [given](const OptionSpelling& row) { return given == row.shortName || given == row.longName; });
    if (spelling != std::end(optionTable)) {
      commandLine.options.push_back(spelling->option);
    } else if (!commandLine.unknown) {
      commandLine.unknown = true;
      commandLine.unknownArgument = given;
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

std::optional<int> answerCommandLine(const CommandLine& commandLine, std::ostream& output, std::ostream& errors) {
  if (commandLine.unknown) {
    errors << programName << ": unknown option '" << shownArgument(commandLine.unknownArgument) << "'\n"
           << usageLine() << '\n';
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
