#include "app/commandLine.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Answer {
  std::optional<int> status;
  std::string output;
  std::string errors;
};

Answer answerFor(const std::vector<const char*>& arguments, bool utf8Output = false) {
  std::ostringstream output;
  std::ostringstream errors;
  Answer answer;
  answer.status = answerCommandLine(parseCommandLine(arguments), output, errors, utf8Output);
  answer.output = output.str();
  answer.errors = errors.str();
  return answer;
}

const std::string usage = "Usage: keycodes [OPTION]\n";
const std::string tryHelp = "Try 'keycodes --help'.\n";

TEST(CommandLine, WithoutArgumentsOrWithExplainTheTableRuns) {
  struct Case {
    std::vector<const char*> arguments;
    bool explain;
  };
  const Case cases[] = {
      {{}, false},
      {{"-e"}, true},
      {{"--explain"}, true},
      {{"-ee"}, true},
      // "--" ends the options, and is no argument of its own.
      {{"--"}, false},
      {{"-e", "--"}, true},
  };
  for (const Case& each : cases) {
    const Answer answer = answerFor(each.arguments);
    const std::string given = testing::PrintToString(each.arguments);
    EXPECT_FALSE(answer.status.has_value()) << given << ": " << answer.errors;
    EXPECT_EQ(answer.output, "") << given;
    EXPECT_EQ(answer.errors, "") << given;
    EXPECT_EQ(hasOption(parseCommandLine(each.arguments), Option::explain), each.explain) << given;
  }
  // Help still answers with --explain given as well; a group is read
  // letter by letter.
  EXPECT_EQ(answerFor({"--explain", "-h"}).status, 0);
  const CommandLine grouped = parseCommandLine(std::vector<const char*>{"-eh", "-V"});
  EXPECT_EQ(grouped.error, UsageError::none);
  EXPECT_EQ(grouped.options, (std::vector<Option>{Option::explain, Option::help, Option::version}));
}

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutput) {
  struct Case {
    std::vector<const char*> arguments;
    std::string outputStart;
  };
  const Case cases[] = {
      {{"-h"}, usage},
      {{"--help"}, usage},
      {{"-V"}, "keycodes " KEYCODES_VERSION "\n"},
      {{"--version"}, "keycodes " KEYCODES_VERSION "\n"},
      // Help wins over version, whatever the order.
      {{"-V", "--help"}, usage},
      {{"-hV"}, usage},
      {{"-eh"}, usage},
      {{"-Ve"}, "keycodes " KEYCODES_VERSION "\n"},
  };
  for (const Case& each : cases) {
    const Answer answer = answerFor(each.arguments);
    EXPECT_EQ(answer.status, 0) << each.arguments.front();
    EXPECT_TRUE(answer.output.starts_with(each.outputStart)) << each.arguments.front() << ": " << answer.output;
    EXPECT_EQ(answer.errors, "") << each.arguments.front();
  }
  EXPECT_EQ(answerFor({"--version"}).output, "keycodes " KEYCODES_VERSION "\n");
  const std::string help = answerFor({"--help"}).output;
  for (const char* expected : {"-e, --explain", "-h, --help", "-V, --version", "Space ends the table"}) {
    EXPECT_NE(help.find(expected), std::string::npos) << expected << " missing from:\n" << help;
  }
  // An answer that could not be written is a failure.
  for (const char* argument : {"--help", "--version"}) {
    std::ostringstream output;
    output.setstate(std::ios::badbit);
    std::ostringstream errors;
    EXPECT_EQ(answerCommandLine(parseCommandLine(std::vector<const char*>{argument}), output, errors, false), 1)
        << argument;
  }
}

TEST(CommandLine, AnythingElseIsAnErrorOnStandardErrorWithStatusTwo) {
  struct Case {
    std::vector<const char*> arguments;
    std::string error;
  };
  const Case cases[] = {
      {{"-x"}, "unknown option '-x'"},
      {{"--helps"}, "unknown option '--helps'"},
      // A group names its first unknown letter.
      {{"-ex"}, "unknown option '-x'"},
      {{"-e-"}, "unknown option '--'"},
      {{"-\x1b[2J"}, "unknown option '-\\x1b'"},
      // The options take no value.
      {{"--explain=1"}, "option '--explain' takes no value"},
      {{"--version=x=y"}, "option '--version' takes no value"},
      // The tool takes no arguments: not before "--", not after it.
      {{"help"}, "unexpected argument 'help'"},
      {{""}, "unexpected argument ''"},
      {{"-"}, "unexpected argument '-'"},
      {{"--", "-e"}, "unexpected argument '-e'"},
      {{"--", "--"}, "unexpected argument '--'"},
      // A usage error wins over a known option, and the first one is named.
      {{"-h", "extra"}, "unexpected argument 'extra'"},
      {{"one", "-x"}, "unexpected argument 'one'"},
      {{"-x", "--explain=1"}, "unknown option '-x'"},
  };
  for (const Case& each : cases) {
    const Answer answer = answerFor(each.arguments);
    const std::string given = testing::PrintToString(each.arguments);
    EXPECT_EQ(answer.status, 2) << given;
    EXPECT_EQ(answer.output, "") << given;
    EXPECT_EQ(answer.errors, "keycodes: " + each.error + "\n" + usage + tryHelp) << given;
  }
}

// What an argument may not bring to the terminal the error goes to: every
// byte or character that acts on it or reorders the text is shown as \xNN.
TEST(CommandLine, AnArgumentNeverActsOnTheTerminal) {
  struct Case {
    const char* argument;
    bool utf8Output;
    std::string shown;
  };
  const Case cases[] = {
      {"\x1b[2J\r", false, "\\x1b[2J\\x0d"},
      {"\x7f", false, "\\x7f"},
      // An 8-bit CSI: red text and a cleared screen on a terminal that takes
      // C1 controls.
      {"\23341mRED\2332J", false, "\\x9b41mRED\\x9b2J"},
      {"\23341m", true, "\\x9b41m"},
      // The same as a UTF-8 character.
      {"\xc2\23341m", true, "\\xc2\\x9b41m"},
      {"\xc2\23341m", false, "\\xc2\\x9b41m"},
      // Right-to-left override and the isolates: they reorder what follows.
      {"a\u202eb", true, "a\\xe2\\x80\\xaeb"},
      {"\u2066x\u2069", true, "\\xe2\\x81\\xa6x\\xe2\\x81\\xa9"},
      // A character is itself where the output takes UTF-8.
      {"\xc3\xa4", true, "\xc3\xa4"},
      {"\xc3\xa4", false, "\\xc3\\xa4"},
  };
  for (const Case& each : cases) {
    const Answer answer = answerFor({each.argument}, each.utf8Output);
    EXPECT_EQ(answer.errors, "keycodes: unexpected argument '" + each.shown + "'\n" + usage + tryHelp)
        << testing::PrintToString(each.argument) << (each.utf8Output ? " UTF-8" : " C");
  }
}

}  // namespace
