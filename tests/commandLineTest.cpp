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

Answer answerFor(const std::vector<const char*>& arguments) {
  std::ostringstream output;
  std::ostringstream errors;
  Answer answer;
  answer.status = answerCommandLine(parseCommandLine(arguments), output, errors);
  answer.output = output.str();
  answer.errors = errors.str();
  return answer;
}

const std::string usage = "Usage: keycodes [OPTION]\n";

TEST(CommandLine, WithoutArgumentsOrWithExplainTheTableRuns) {
  const std::vector<std::vector<const char*>> runs = {{}, {"-e"}, {"--explain"}};
  for (const std::vector<const char*>& arguments : runs) {
    const Answer answer = answerFor(arguments);
    EXPECT_FALSE(answer.status.has_value()) << arguments.size();
    EXPECT_EQ(answer.output, "");
    EXPECT_EQ(answer.errors, "");
    EXPECT_EQ(hasOption(parseCommandLine(arguments), Option::explain), !arguments.empty());
  }
  // Help still answers with --explain given as well.
  EXPECT_EQ(answerFor({"--explain", "-h"}).status, 0);
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
  };
  for (const Case& each : cases) {
    const Answer answer = answerFor(each.arguments);
    EXPECT_EQ(answer.status, 0) << each.arguments.front();
    EXPECT_TRUE(answer.output.starts_with(each.outputStart)) << each.arguments.front() << ": " << answer.output;
    EXPECT_EQ(answer.errors, "") << each.arguments.front();
  }
  EXPECT_EQ(answerFor({"--version"}).output, "keycodes " KEYCODES_VERSION "\n");
}

TEST(CommandLine, AnAnswerThatCouldNotBeWrittenIsAFailure) {
  for (const char* argument : {"--help", "--version"}) {
    std::ostringstream output;
    output.setstate(std::ios::badbit);
    std::ostringstream errors;
    EXPECT_EQ(answerCommandLine(parseCommandLine(std::vector<const char*>{argument}), output, errors), 1) << argument;
  }
}

TEST(CommandLine, HelpNamesEveryOptionAndTheEndKey) {
  const std::string help = answerFor({"--help"}).output;
  for (const char* expected : {"-e, --explain", "-h, --help", "-V, --version", "Space ends the table"}) {
    EXPECT_NE(help.find(expected), std::string::npos) << expected << " missing from:\n" << help;
  }
}

TEST(CommandLine, AnythingElseIsAnErrorOnStandardErrorWithStatusTwo) {
  struct Case {
    std::vector<const char*> arguments;
    std::string named;
  };
  const Case cases[] = {
      {{"-x"}, "-x"},
      {{"--helps"}, "--helps"},
      {{"help"}, "help"},
      {{""}, ""},
      {{"-"}, "-"},
      {{"--"}, "--"},
      {{"-hV"}, "-hV"},
      // An unknown argument wins over a known option, and the first one is named.
      {{"-h", "extra"}, "extra"},
      {{"one", "two"}, "one"},
      // Control bytes never reach the terminal the error goes to.
      {{"-\x1b[2J\r"}, "-\\x1b[2J\\x0d"},
      {{"\x7f"}, "\\x7f"},
  };
  for (const Case& each : cases) {
    const Answer answer = answerFor(each.arguments);
    EXPECT_EQ(answer.status, 2) << "'" << each.named << "'";
    EXPECT_EQ(answer.output, "") << "'" << each.named << "'";
    EXPECT_EQ(answer.errors, "keycodes: unknown option '" + each.named + "'\n" + usage);
  }
}

}  // namespace
