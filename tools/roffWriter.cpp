#include <string>

#include "keyCodesOf.hpp"
#include "referenceWriters.hpp"

namespace {

constexpr std::string_view noCodes = "\\(em";
constexpr char cellSeparator = '\t';

// The roff input that prints `character`: the characters roff or tbl give a
// meaning of their own are written as named glyphs.
std::string roffCharacter(char character) {
  switch (character) {
    case '\\':
      return "\\e";
    case '-':
      return "\\-";
    case '\'':
      return "\\(aq";
    case '`':
      return "\\(ga";
    case '^':
      return "\\(ha";
    case '~':
      return "\\(ti";
    case '"':
      return "\\(dq";
    default:
      return std::string(1, character);
  }
}

// A character in bold.
std::string boldCharacter(char character) {
  std::string bold = "\\fB";
  bold += roffCharacter(character);
  bold += "\\fR";
  return bold;
}

std::string cellOf(const std::vector<int>& codes) { return codesCell(codes, noCodes, boldCharacter); }

void writeGroup(std::ostream& stream, const KeyGroup& group) {
  stream << ".SS " << group.title << '\n';
  if (!group.note.empty()) {
    stream << group.note << '\n';
  }
  // A boxed table, the column titles bold and ruled off from the rows.
  stream << ".PP\n.TS\nbox;\nlb lb lb lb lb\nl l l l l.\nKey";
  for (const std::string_view state : stateNames) {
    stream << cellSeparator << state;
  }
  stream << "\n_\n";
  for (const ReferenceKey& key : group.keys) {
    stream << key.name;
    for (int state = plainState; state < keyStateCount; ++state) {
      stream << cellSeparator << cellOf(codesOfKey(key, static_cast<KeyState>(state)));
    }
    stream << '\n';
  }
  stream << ".TE\n";
}

}  // namespace

void writeRoff(std::ostream& stream, const std::vector<KeyGroup>& groups) {
  for (const KeyGroup& group : groups) {
    writeGroup(stream, group);
  }
}
