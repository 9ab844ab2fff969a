// The terminal device's receive buffer over a pipe, which counts and reads
// like a terminal's input queue.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "serial/call_done.h"
#include "serial/posix/receive_buffer.h"

namespace {

class ReceiveBufferOnPipe : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pipe2(fds_, O_NONBLOCK | O_CLOEXEC), 0);
    for (int i = 0; i < 5000; ++i) sent_ += static_cast<char>('a' + i % 26);
  }
  void TearDown() override {
    close(fds_[0]);
    close(fds_[1]);
  }
  void Send(const std::string& bytes) {
    ASSERT_EQ(write(fds_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  std::string ReadAll(std::uint32_t count) {
    std::string out(count, '\0');
    std::uint32_t got = 0;
    EXPECT_EQ(buffer_.Read(fds_[0], out.data(), count, got), 0);
    return out.substr(0, got);
  }

  int fds_[2] = {-1, -1};
  std::string sent_;
  ReceiveBuffer buffer_;
};

}  // namespace

TEST_F(ReceiveBufferOnPipe, AFullBufferCountsTheKernelsRestAndReadsItInOrder) {
  Send(sent_);
  std::uint32_t queued = 0;
  ASSERT_EQ(buffer_.Fill(fds_[0], queued), 0);
  EXPECT_EQ(queued, 5000u) << "4096 buffered and the rest still in the kernel";
  EXPECT_EQ(ReadAll(10), sent_.substr(0, 10));
  ASSERT_EQ(buffer_.Count(fds_[0], queued), 0);
  EXPECT_EQ(queued, 4086u) << "what the buffer holds, without a call";
  EXPECT_EQ(ReadAll(5000), sent_.substr(10)) << "the buffer first, then the kernel";
  EXPECT_TRUE(buffer_.Empty());
  ASSERT_EQ(buffer_.Count(fds_[0], queued), 0);
  EXPECT_EQ(queued, 0u);
}

TEST_F(ReceiveBufferOnPipe, EndOfFileIsAHangUpButBufferedBytesAreStillRead) {
  Send("abc");
  std::uint32_t queued = 0;
  ASSERT_EQ(buffer_.Fill(fds_[0], queued), 0);
  close(fds_[1]);
  fds_[1] = open("/dev/null", O_WRONLY | O_CLOEXEC);
  EXPECT_EQ(ReadAll(10), "abc");
  std::uint32_t got = 0;
  char byte = 0;
  EXPECT_EQ(buffer_.Read(fds_[0], &byte, 1, got), EIO);
  EXPECT_EQ(buffer_.Fill(fds_[0], queued), EIO);
}

TEST(CallDone, AWaitReturnsOnceSignalledAndSeesWhatTheSignallerWrote) {
  CallDone early;
  early.Signal();
  early.Wait();  // already signalled: returns at once

  for (int round = 0; round < 200; ++round) {
    CallDone done;
    int result = 0;
    std::thread runner([&] {
      result = round + 1;
      done.Signal();
    });
    done.Wait();
    EXPECT_EQ(result, round + 1);
    runner.join();
  }
}
