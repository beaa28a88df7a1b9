#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keys/byteStream.hpp"

// Bytes fed to the key byte stream as the terminal source feeds it, in
// reads chosen by the caller, for the tests and the fuzzer that check what a
// split or a pause changes.

// One read: the input up to `end`, and whether the Escape wait passes after
// it without another byte.
struct Read {
  std::size_t end;
  bool pauseAfter;
};

// An event as the records a console would deliver for it, one per code the
// key types: a key that typed several bytes is a record per byte, the
// first with the key's place and flags. A release is one key-up record with
// the character the key types.
struct KeyRecord {
  EventType eventType = EventType::key;
  bool keyDown = true;
  unsigned char asciiChar = 0;
  std::uint16_t scanCode = 0;
  std::uint32_t controlKeyState = 0;
};

std::vector<KeyRecord> recordsOf(const KeyEvent& event);

// One record of a key the stream gave; the first record of each key holds
// the event and the bytes that made it.
struct StreamKey {
  KeyRecord record;
  std::string bytes;
  std::optional<KeyEvent> event;
};

bool sameKey(const StreamKey& left, const StreamKey& right);

// Two events alike in every field.
bool sameEvent(const KeyEvent& left, const KeyEvent& right);

// ESC, printable characters as they are, hex for the rest.
std::string showBytes(std::string_view bytes);
std::string showRecord(const KeyRecord& record);
std::string showKeys(const std::vector<StreamKey>& keys);

// What the driver does when the stream breaks a rule: the rule, and how
// many input bytes were fed by then. The driver stops at the first one.
using BrokenStreamRule = std::function<void(const char* rule, std::size_t fedBytes)>;

// The keys the stream gives for `input` arriving in `reads`, driven as the
// terminal source drives it: after needMore with the start of a key held, a
// read followed by a pause lets the stream decide; otherwise the next read
// is fed. Input pauses after the last read, then ends. Rules checked on the
// way: the stream makes progress, never asks for more once input has
// paused, eventReady agrees with what next gives without a pause, and
// every key's bytes are the next bytes of the input, reports and answers
// skipped between. `keyNumbers` is what the stream takes CSI u reports for.
std::vector<StreamKey> keysOfReads(std::string_view input, TerminalFamily family, const std::vector<Read>& reads,
                                   const BrokenStreamRule& broken, KeyReporting keyNumbers = {});

// Every way to split `input` into reads, with pauses after the reads that
// end at `pausesAt` and after the last. Inputs of up to 12 bytes.
std::vector<std::vector<Read>> everySplit(std::string_view input, const std::vector<std::size_t>& pausesAt = {});

// The codes the reader gives for the keys' events, as readKey gives them.
std::vector<int> codesOf(const std::vector<StreamKey>& keys);

// The codes of one event, each as the number a row shows.
std::vector<int> codeNumbersOf(const KeyEvent& event);
