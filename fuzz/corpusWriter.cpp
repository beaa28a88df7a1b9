// Writes the fuzzer's seed corpus: one file for each byte sequence the
// decoder knows, found through the sequence tables' own lookups, in the
// forms terminals send (plain, with modifiers, released, with Alt), and the
// reports it skips. Each file is the family byte (the family's place in the
// family table, with the number of families added where CSI u reports are
// modifyOtherKeys'), then the bytes.
//
//   decoder_corpus_writer DIRECTORY
//
// Seed files written before and no longer known are removed; other files in
// DIRECTORY are left alone.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "keys/keySequences.hpp"
#include "keys/keyboardMode.hpp"
#include "keys/terminalDecoder.hpp"
#include "keys/terminalFamilies.hpp"

namespace {

constexpr std::string_view esc = "\x1b";
constexpr std::string_view csi = "\x1b[";
constexpr std::string_view ss3 = "\x1bO";
constexpr int firstFinalByte = 0x40;
constexpr int lastFinalByte = 0x7E;
constexpr int byteCount = 256;
constexpr int largestTildeNumber = 99;
constexpr std::uint32_t lastAsciiKeyNumber = 0x7F;
// The kitty functional keys the tables name end before this number.
constexpr std::uint32_t functionalKeysEnd = firstFunctionalKeyNumber + 128;
// Shift, Alt, Ctrl and Meta as modifier parameters.
constexpr std::array<std::string_view, 4> modifierParameters = {"2", "3", "5", "9"};
constexpr std::string_view releaseEvent = ":3";
constexpr std::size_t sequenceLimit = 64;
constexpr std::size_t stringLimit = 4096;
constexpr std::size_t longestFileName = 120;
constexpr std::array<TerminalFamily, 4> families = {TerminalFamily::xterm, TerminalFamily::rxvt,
                                                    TerminalFamily::linuxConsole, TerminalFamily::st};

struct Seed {
  TerminalFamily family;
  std::string bytes;
  KeyNumberMeaning keyNumbers = KeyNumberMeaning::unshiftedKey;
};

std::string joined(std::initializer_list<std::string_view> parts) {
  std::string bytes;
  for (const std::string_view part : parts) {
    bytes.append(part);
  }
  return bytes;
}

std::string_view familyName(TerminalFamily family) { return familyRow(family).name; }

// The first byte of a seed: the family's place in the family table, plus
// the number of families where CSI u reports are modifyOtherKeys'.
char familyByte(const Seed& seed) {
  const auto rows = terminalFamilies();
  const auto place =
      static_cast<std::size_t>(std::ranges::find(rows, seed.family, &TerminalFamilyRow::family) - rows.begin());
  return static_cast<char>(place + rows.size() * static_cast<std::size_t>(seed.keyNumbers));
}

// File names: the family and the bytes in hex, so that each sequence has
// one name and a rerun writes the same files.
std::string fileNameOf(const Seed& seed) {
  static constexpr std::string_view hexDigits = "0123456789abcdef";
  std::string name(familyName(seed.family));
  name += seed.keyNumbers == KeyNumberMeaning::typedCharacter ? "-typed-" : "-";
  for (const char character : seed.bytes) {
    const auto byte = static_cast<unsigned char>(character);
    name += hexDigits[byte >> 4U];
    name += hexDigits[byte & 0x0FU];
  }
  if (name.size() > longestFileName) {
    name.resize(longestFileName);
    name += '-';
    name += std::to_string(seed.bytes.size());
  }
  return name;
}

void addBytes(std::vector<Seed>& seeds) {
  for (int byte = 0; byte < byteCount; ++byte) {
    const std::string single(1, static_cast<char>(byte));
    seeds.push_back({TerminalFamily::xterm, single});
    // ESC and the byte: Alt and its key, an introducer cut short, or Escape.
    seeds.push_back({TerminalFamily::xterm, joined({esc, single})});
  }
  // UTF-8 characters of two, three and four bytes, one cut off, an
  // overlong form and a surrogate.
  for (const std::string_view character :
       {"\xc3\xa4", "\xc3\xa9\xe2\x82\xac", "\xf0\x9f\x98\x80", "\xe2\x82", "\xc0\xaf", "\xed\xa0\x80"}) {
    seeds.push_back({TerminalFamily::xterm, std::string(character)});
  }
}

void addTildeForms(std::vector<Seed>& seeds) {
  for (int number = 0; number <= largestTildeNumber; ++number) {
    if (!keyOfTildeNumber(number)) {
      continue;
    }
    const std::string key = std::to_string(number);
    seeds.push_back({TerminalFamily::xterm, joined({csi, key, "~"})});
    seeds.push_back({TerminalFamily::xterm, joined({csi, key, ";1", releaseEvent, "~"})});
    for (const std::string_view modifier : modifierParameters) {
      seeds.push_back({TerminalFamily::xterm, joined({csi, key, ";", modifier, "~"})});
    }
    for (const std::string_view rxvtFinal : {"$", "^", "@"}) {
      seeds.push_back({TerminalFamily::rxvt, joined({csi, key, rxvtFinal})});
    }
    seeds.push_back({TerminalFamily::xterm, joined({esc, csi, key, "~"})});
  }
}

void addFinalForms(std::vector<Seed>& seeds) {
  for (int final = firstFinalByte; final <= lastFinalByte; ++final) {
    const auto finalByte = static_cast<unsigned char>(final);
    const std::string last(1, static_cast<char>(final));
    if (keyOfFinal(finalByte, SequenceForm::csi)) {
      seeds.push_back({TerminalFamily::xterm, joined({csi, last})});
      seeds.push_back({TerminalFamily::xterm, joined({csi, "1;1", releaseEvent, last})});
      for (const std::string_view modifier : modifierParameters) {
        seeds.push_back({TerminalFamily::xterm, joined({csi, "1;", modifier, last})});
      }
      seeds.push_back({TerminalFamily::xterm, joined({esc, csi, last})});
    }
    if (keyOfFinal(finalByte, SequenceForm::ss3)) {
      seeds.push_back({TerminalFamily::xterm, joined({ss3, last})});
      seeds.push_back({TerminalFamily::xterm, joined({ss3, "5", last})});
      seeds.push_back({TerminalFamily::xterm, joined({ss3, "1;3", last})});
      seeds.push_back({TerminalFamily::xterm, joined({esc, ss3, last})});
    }
    if (keyOfLinuxFunctionFinal(finalByte)) {
      seeds.push_back({TerminalFamily::linuxConsole, joined({csi, "[", last})});
    }
    for (const std::string_view parameters : {"", "2", "4"}) {
      if (keyOfStSequence(parameters, finalByte)) {
        seeds.push_back({TerminalFamily::st, joined({csi, parameters, last})});
      }
    }
  }
}

void addKeyNumberForms(std::vector<Seed>& seeds, std::uint32_t number) {
  const std::string key = std::to_string(number);
  seeds.push_back({TerminalFamily::xterm, joined({csi, key, "u"})});
  seeds.push_back({TerminalFamily::xterm, joined({csi, key, ";5u"})});
  seeds.push_back({TerminalFamily::xterm, joined({csi, key, ";3", releaseEvent, "u"})});
  seeds.push_back({TerminalFamily::xterm, joined({csi, "27;5;", key, "~"})});
}

void addKeyNumbers(std::vector<Seed>& seeds) {
  for (std::uint32_t number = 0; number <= lastAsciiKeyNumber; ++number) {
    if (keyOfKeyNumber(number)) {
      addKeyNumberForms(seeds, number);
    }
  }
  for (std::uint32_t number = firstFunctionalKeyNumber; number < functionalKeysEnd; ++number) {
    const auto key = keyOfKeyNumber(number);
    if (key && key->scanCode != 0) {
      addKeyNumberForms(seeds, number);
    }
  }
  // The full form: other layouts' keys with their shifted and base layout
  // keys, text of one or more characters, locks, repeat and release.
  for (const std::string_view report :
       {"1089::99;5u", "97:65;2u", "0;;229u", "228u", "228::39;u", "228:196:39;2u", "55:47;2;47u", "64::113;;64u",
        "122::121;3u", "122::121;5u", "97;65u", "97;66;97u", "57400;129;49u", "101;;101:769u", "0;;128512u",
        "228;1:3;228u", "97;1:2;97u"}) {
    seeds.push_back({TerminalFamily::xterm, joined({csi, report})});
  }
  // modifyOtherKeys: the character typed, in both forms.
  for (const std::string_view report : {"27;2;47~", "27;3;228~", "27;6;65~"}) {
    seeds.push_back({TerminalFamily::xterm, joined({csi, report})});
  }
  for (const std::string_view report : {"47;2u", "65;6u", "9;5u", "196;2u"}) {
    seeds.push_back({TerminalFamily::xterm, joined({csi, report}), KeyNumberMeaning::typedCharacter});
  }
}

void addReports(std::vector<Seed>& seeds) {
  const std::vector<std::string_view> reports = {
      "\x1b[I",
      "\x1b[O",
      std::string_view("\x1b[M\x1b\x80\xff", 6),
      "\x1b[<0;10;5M",
      "\x1b[<0;10;5m",
      "\x1b[32;10;5M",
      "\x1b[12;40R",
      "\x1b[?64;1;2c",
      "\x1b[?62c",
      "\x1b[>41;1;0c",
      "\x1b[?3u",
      "\x1b[?1u\x1b[?62c",
      "\x1b[?2004;2$y",
      "\x1b[200~",
      "\x1b]11;rgb:0000/0000/0000\x07",
      "\x1b]11;rgb:ffff/ffff/ffff\x1b\\",
      "\x1bP1+r544e=787465726d\x1b\\",
      "\x1b_Gi=1;OK\x1b\\",
      "\x1b^privacy\x1b\\",
      "\x1bXstring\x07",
      keyboardProtocolQuery,
  };
  for (const std::string_view report : reports) {
    seeds.push_back({TerminalFamily::xterm, joined({report, "x"})});
  }
  // Sequences broken by another key's bytes, and those at the length limits.
  seeds.push_back({TerminalFamily::xterm, "\x1b[1;\x1b[A"});
  seeds.push_back({TerminalFamily::xterm, "\x1b]0;t\x1b[A"});
  seeds.push_back({TerminalFamily::linuxConsole, "\x1b[[\r"});
  seeds.push_back({TerminalFamily::xterm, joined({csi, std::string(sequenceLimit - 3, '1'), "A"})});
  seeds.push_back({TerminalFamily::xterm, joined({"\x1b]", std::string(stringLimit, 'a')})});
}

bool isSeedFileName(const std::string& name) {
  return std::ranges::any_of(families, [&name](TerminalFamily family) {
    return name.starts_with(joined({familyName(family), "-"}));
  });
}

void removeOldSeeds(const std::filesystem::path& directory) {
  std::vector<std::filesystem::path> old;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    if (entry.is_regular_file() && isSeedFileName(entry.path().filename().string())) {
      old.push_back(entry.path());
    }
  }
  for (const auto& path : old) {
    std::filesystem::remove(path);
  }
}

}  // namespace

int main(int argumentCount, char** arguments) {
  if (argumentCount != 2) {
    static_cast<void>(std::fprintf(stderr, "usage: decoder_corpus_writer DIRECTORY\n"));
    return 2;
  }
  const std::filesystem::path directory = arguments[1];
  std::vector<Seed> seeds;
  addBytes(seeds);
  addTildeForms(seeds);
  addFinalForms(seeds);
  addKeyNumbers(seeds);
  addReports(seeds);

  std::map<std::string, Seed> files;
  for (const Seed& seed : seeds) {
    files.emplace(fileNameOf(seed), seed);
  }
  std::filesystem::create_directories(directory);
  removeOldSeeds(directory);
  for (const auto& [name, seed] : files) {
    std::ofstream file(directory / name, std::ios::binary);
    file.put(familyByte(seed));
    file << seed.bytes;
    if (!file) {
      static_cast<void>(std::fprintf(stderr, "cannot write %s\n", (directory / name).c_str()));
      return 1;
    }
  }
  static_cast<void>(std::printf("%zu seed files in %s\n", files.size(), directory.c_str()));
  return 0;
}
