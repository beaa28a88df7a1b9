#include "console/outputBuffer.hpp"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "console/standardOutput.hpp"

OutputBuffer::OutputBuffer(OutputWriter writer) : writer(writer) { setp(buffer.data(), buffer.data() + buffer.size()); }

bool OutputBuffer::writeOut(const char* bytes, std::size_t count) {
  if (failure != 0) {
    return false;
  }
  if (count > 0) {
    failure = writer(bytes, count);
  }
  return failure == 0;
}

// What the buffer holds goes out; it is empty afterwards either way, so a
// failed write is never tried again.
bool OutputBuffer::emptyBuffer() {
  const auto held = static_cast<std::size_t>(pptr() - pbase());
  setp(buffer.data(), buffer.data() + buffer.size());
  return writeOut(buffer.data(), held);
}

OutputBuffer::int_type OutputBuffer::overflow(int_type character) {
  if (!emptyBuffer()) {
    return traits_type::eof();
  }
  if (!traits_type::eq_int_type(character, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(character);
    pbump(1);
  }
  return traits_type::not_eof(character);
}

std::streamsize OutputBuffer::xsputn(const char* text, std::streamsize count) {
  if (failure != 0 || count <= 0) {
    return 0;
  }
  const auto size = static_cast<std::size_t>(count);
  if (size > static_cast<std::size_t>(epptr() - pptr())) {
    if (!emptyBuffer()) {
      return 0;
    }
    // Text larger than the buffer goes out as it is.
    if (size >= buffer.size()) {
      return writeOut(text, size) ? count : 0;
    }
  }
  std::memcpy(pptr(), text, size);
  pbump(static_cast<int>(size));
  return count;
}

int OutputBuffer::sync() { return emptyBuffer() ? 0 : -1; }

namespace {

OutputBuffer* standardOutputBuffer = nullptr;

}  // namespace

void takeOverStandardOutput() {
  // Never destroyed: the standard streams flush std::cout once more after
  // every other object of the program is gone.
  standardOutputBuffer = new OutputBuffer(writeStandardOutput);
  std::cout.rdbuf(standardOutputBuffer);
}

int standardOutputError() { return standardOutputBuffer != nullptr ? standardOutputBuffer->error() : 0; }
