#pragma once

#include <array>
#include <cstddef>
#include <streambuf>

// A stream buffer that hands whole buffers to a writer and reports the first
// write that failed, after which it writes nothing more: the run ends at the
// first failed write instead of going on with part of its output lost.

// Writes all of `count` bytes, waiting where it must: 0, or the error number
// (errno) of the write that failed.
using OutputWriter = int (*)(const char* bytes, std::size_t count);

class OutputBuffer final : public std::streambuf {
 public:
  explicit OutputBuffer(OutputWriter writer);

  // 0 while every write went out, else the error number of the first one
  // that failed.
  [[nodiscard]] int error() const { return failure; }

 protected:
  int_type overflow(int_type character) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  bool writeOut(const char* bytes, std::size_t count);
  bool emptyBuffer();

  // As large as the C library's own stream buffer, so a burst of rows goes
  // out in as few writes as before.
  static constexpr std::size_t bufferSize = 8192;
  OutputWriter writer;
  int failure = 0;
  std::array<char, bufferSize> buffer{};
};
