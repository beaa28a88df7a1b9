// Standard output's buffer and write: every byte goes out, a descriptor
// that would block is waited for, and the first failed write is the last.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "console/descriptorOutput.hpp"
#include "console/outputBuffer.hpp"

namespace {

// What the writer was handed, one entry per call, and the error it gives
// from its `failFrom`th call on.
struct RecordedWrites {
  std::vector<std::string> calls;
  std::size_t failFrom = SIZE_MAX;
  int error = 0;
};
RecordedWrites recorded;

int recordingWriter(const char* bytes, std::size_t count) {
  recorded.calls.emplace_back(bytes, count);
  return recorded.calls.size() > recorded.failFrom ? recorded.error : 0;
}

class OutputBufferTest : public testing::Test {
 protected:
  void SetUp() override { recorded = {}; }
};

TEST_F(OutputBufferTest, WritesWhatItHoldsAtAFlushAndLargeTextAtOnce) {
  OutputBuffer buffer(recordingWriter);
  std::ostream stream(&buffer);
  stream << "row 1\n"
         << "row 2\n";
  EXPECT_TRUE(recorded.calls.empty()) << "written before the flush";
  stream.flush();
  const std::string large(100'000, 'x');
  stream << "head " << large << std::flush;
  EXPECT_EQ(recorded.calls, (std::vector<std::string>{"row 1\nrow 2\n", "head ", large}));
  // Byte by byte: each time the buffer is full it goes out, and the byte
  // that found it full is kept.
  recorded = {};
  std::string bytes;
  for (int index = 0; index < 20'000; ++index) {
    bytes += static_cast<char>('a' + index % 26);
    stream.put(bytes.back());
  }
  stream.flush();
  std::string written;
  for (const std::string& call : recorded.calls) {
    written += call;
  }
  EXPECT_EQ(written, bytes);
  EXPECT_GT(recorded.calls.size(), 2U);
  EXPECT_TRUE(stream.good());
  EXPECT_EQ(buffer.error(), 0);
}

// The first failed write is the last: nothing is tried again, and a full
// buffer that cannot be written fails the write that filled it.
TEST_F(OutputBufferTest, TheFirstFailedWriteIsTheLast) {
  recorded.failFrom = 1;
  recorded.error = ENOSPC;
  OutputBuffer buffer(recordingWriter);
  std::ostream stream(&buffer);
  stream << "greeting\n" << std::flush;
  EXPECT_TRUE(stream.good());
  stream << "row\n" << std::flush;
  EXPECT_FALSE(stream.good());
  EXPECT_EQ(buffer.error(), ENOSPC);
  // Nothing is tried again: not the held text, not more text.
  stream.clear();
  stream << std::string(20'000, 'y') << "more\n" << std::flush;
  EXPECT_FALSE(stream.good());
  EXPECT_EQ(recorded.calls.size(), 2U);
  EXPECT_EQ(buffer.error(), ENOSPC);
  recorded = {{}, 0, EBADF};
  OutputBuffer full(recordingWriter);
  std::ostream rows(&full);
  for (int row = 0; row < 1000 && rows.good(); ++row) {
    rows << "a row of the table, about as long as one really is\n";
  }
  EXPECT_FALSE(rows.good()) << "the rows were taken though nothing could be written";
  EXPECT_EQ(recorded.calls.size(), 1U);
  EXPECT_EQ(full.error(), EBADF);
}

// A pipe, closed on the way out.
struct Pipe {
  int readEnd = -1;
  int writeEnd = -1;
  Pipe() {
    int ends[2];
    if (pipe(ends) == 0) {
      readEnd = ends[0];
      writeEnd = ends[1];
    }
  }
  ~Pipe() {
    closeRead();
    if (writeEnd >= 0) {
      close(writeEnd);
    }
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  void closeRead() {
    if (readEnd >= 0) {
      close(readEnd);
      readEnd = -1;
    }
  }
};

TEST(DescriptorOutput, ANonBlockingDescriptorIsWaitedForAndLosesNothing) {
  Pipe pipe;
  ASSERT_GE(pipe.writeEnd, 0);
  fcntl(pipe.writeEnd, F_SETFL, fcntl(pipe.writeEnd, F_GETFL) | O_NONBLOCK);
  std::string sent;
  for (int row = 0; sent.size() < 1'000'000; ++row) {
    sent += std::to_string(row) + '\n';
  }
  // The reader takes small pieces and is often late, so the pipe is full
  // again and again while the writer goes on.
  std::string received;
  std::thread reader([&pipe, &received] {
    char piece[4096];
    for (;;) {
      pollfd poller{pipe.readEnd, POLLIN, 0};
      poll(&poller, 1, 1);
      const ssize_t count = read(pipe.readEnd, piece, sizeof piece);
      if (count <= 0) {
        return;
      }
      received.append(piece, static_cast<std::size_t>(count));
    }
  });
  const int error = writeAllTo(pipe.writeEnd, sent);
  close(pipe.writeEnd);
  pipe.writeEnd = -1;
  reader.join();
  EXPECT_EQ(error, 0) << std::strerror(error);
  EXPECT_EQ(received.size(), sent.size());
  EXPECT_TRUE(received == sent) << "the bytes came out changed";
}

TEST(DescriptorOutput, EachFailureIsReportedByItsErrorNumber) {
  const std::string text = "Zeichencodes im Konsolemodus\n";
  // SIGPIPE is ignored by the tool, so a closed pipe shows as EPIPE.
  const auto previous = std::signal(SIGPIPE, SIG_IGN);
  {
    Pipe pipe;
    pipe.closeRead();
    EXPECT_EQ(writeAllTo(pipe.writeEnd, text), EPIPE);
  }
  std::signal(SIGPIPE, previous);
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (full >= 0) {
    EXPECT_EQ(writeAllTo(full, text), ENOSPC);
    close(full);
  }
  const int closed = open("/dev/null", O_WRONLY | O_CLOEXEC);
  close(closed);
  EXPECT_EQ(writeAllTo(closed, text), EBADF);
}

}  // namespace
