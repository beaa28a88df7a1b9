// key_reference: prints the codes every key gives in each modifier state,
// taken from the tool's own key tables: Markdown for docs/keys.md, or with
// --roff the tables of the manual page's KEYS section.

#include <iostream>
#include <string_view>

#include "referenceKeys.hpp"
#include "referenceWriters.hpp"

namespace {

constexpr std::string_view roffOption = "--roff";
constexpr int usageError = 2;

}  // namespace

int main(int argc, char** argv) {
  const std::string_view format = argc > 1 ? argv[1] : "";
  if (argc > 2 || (argc == 2 && format != roffOption)) {
    std::cerr << "usage: key_reference [" << roffOption << "]\n";
    return usageError;
  }
  if (format == roffOption) {
    writeRoff(std::cout, referenceGroups());
  } else {
    writeMarkdown(std::cout, referenceGroups());
  }
  return std::cout.flush() ? 0 : 1;
}
