// The device against real pseudo-terminals: the master end plays the scale.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <future>
#include <string>

#include "serial/posix/line_parameters.h"
#include "serial/posix/posix_serial_device.h"
#include "tests/support/serial/pty_with_port_map.h"

using namespace std::chrono_literals;

namespace {

struct WaitResult {
  WaitOutcome outcome = WaitOutcome::Failed;
  std::uint32_t mask = 0;
  int error = 0;
};

DeviceControlBlock Block(std::uint32_t rate = 9600) {
  DeviceControlBlock block;
  block.BaudRate = rate;
  block.Flags = dcb::fBinary | dcb::fDtrControlEnable | dcb::fRtsControlEnable;
  block.ByteSize = 8;
  block.XonChar = 17;
  block.XoffChar = 19;
  return block;
}

class PtyDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Create());
    device_ = std::make_unique<PosixSerialDevice>(pty_.mapFile);
  }

  void TearDown() override {
    device_.reset();
  }

  void OpenRaw(std::uint32_t mask = 0x05FF) {
    ASSERT_EQ(device_->Open("COM5"), 0);
    ASSERT_EQ(device_->SetLineParameters(Block()), 0);
    ASSERT_EQ(device_->SetEventMask(mask), 0);
  }

  void Send(const std::string& bytes) {
    ASSERT_EQ(write(pty_.master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // One wait on another thread; a wait that outlives `limit` is stopped.
  WaitResult WaitBounded(std::chrono::milliseconds limit = 5000ms) {
    auto wait = std::async(std::launch::async, [this] {
      WaitResult result;
      result.outcome = device_->WaitForEvents(result.mask, result.error);
      return result;
    });
    if (wait.wait_for(limit) != std::future_status::ready) device_->StopWait();
    WaitResult result = wait.get();
    device_->ResetStop();
    return result;
  }

  // Reads as the component does: the queue count, then that many bytes.
  std::string ReadQueued() {
    std::uint32_t count = 0, errors = 0, got = 0;
    EXPECT_EQ(device_->QueueStatus(count, errors), 0);
    std::string bytes(count, '\0');
    EXPECT_EQ(device_->Read(bytes.data(), count, got), 0);
    return bytes.substr(0, got);
  }

  PtyWithPortMap pty_;
  std::unique_ptr<PosixSerialDevice> device_;
};

TEST_F(PtyDevice, ReceivedBytesAreReportedAndReadExactly) {
  OpenRaw();
  char buffer[64];
  std::uint32_t got = 99;
  EXPECT_EQ(device_->Read(buffer, sizeof buffer, got), 0) << "an empty queue is not an error";
  EXPECT_EQ(got, 0u);

  Send("  12.50\r\n");
  const WaitResult result = WaitBounded();
  ASSERT_EQ(result.outcome, WaitOutcome::Events);
  EXPECT_EQ(result.mask, ev::RXCHAR);
  EXPECT_EQ(ReadQueued(), "  12.50\r\n");

  Send("ABCDEFGHIJ");
  ASSERT_EQ(WaitBounded().outcome, WaitOutcome::Events);
  ASSERT_EQ(device_->Read(buffer, 4, got), 0);
  EXPECT_EQ(std::string(buffer, got), "ABCD");
  EXPECT_EQ(ReadQueued(), "EFGHIJ");

  ASSERT_EQ(device_->SetQueueSizes(10, 10), 0);
  Send("12345678");
  EXPECT_EQ(WaitBounded().mask, ev::RXCHAR | ev::RX80FULL) << "8 of 10 bytes is 80% full";
  EXPECT_EQ(device_->Purge(purge::RXCLEAR | purge::TXCLEAR), 0);
  EXPECT_EQ(ReadQueued(), "");
}

TEST_F(PtyDevice, BytesTheWaitTookAreReadBeforeThoseThatCameLater) {
  OpenRaw();
  Send("ABC");
  ASSERT_EQ(WaitBounded().mask, ev::RXCHAR);
  std::uint32_t count = 0, errors = 0;
  ASSERT_EQ(device_->QueueStatus(count, errors), 0);
  EXPECT_EQ(count, 3u);
  Send("DEF");
  std::string read;
  char buffer[16];
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (read.size() < 6 && std::chrono::steady_clock::now() < deadline) {
    std::uint32_t got = 0;
    ASSERT_EQ(device_->Read(buffer, 6 - static_cast<std::uint32_t>(read.size()), got), 0);
    read.append(buffer, got);
  }
  EXPECT_EQ(read, "ABCDEF");
}

TEST_F(PtyDevice, UnreadDataIsReportedOnceAndNewDataAgain) {
  OpenRaw();
  Send("A");
  EXPECT_EQ(WaitBounded().mask, ev::RXCHAR);
  Send("B");
  EXPECT_EQ(WaitBounded().mask, ev::RXCHAR);
  EXPECT_EQ(WaitBounded(300ms).outcome, WaitOutcome::Stopped) << "unread data reported again";
}

TEST_F(PtyDevice, OnlySelectedEventsCompleteAWaitAndStopStaysRaised) {
  OpenRaw(ev::CTS | ev::BREAK);
  Send("data");
  EXPECT_EQ(WaitBounded(300ms).outcome, WaitOutcome::Stopped);

  device_->StopWait();
  std::uint32_t mask = 0;
  int error = 0;
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(device_->WaitForEvents(mask, error), WaitOutcome::Stopped) << "stays raised";
  }
  device_->ResetStop();

  ASSERT_EQ(device_->SetEventMask(ev::RXCHAR), 0);
  const WaitResult result = WaitBounded();
  EXPECT_EQ(result.outcome, WaitOutcome::Events);
  EXPECT_EQ(result.mask, ev::RXCHAR);
}

TEST_F(PtyDevice, MissingDeviceAndSecondOpenerFail) {
  EXPECT_EQ(device_->Open("COM7"), ENOENT);
  EXPECT_FALSE(device_->IsOpen());

  ASSERT_EQ(device_->Open("COM5"), 0);
  PosixSerialDevice second(pty_.mapFile);
  EXPECT_EQ(second.Open("COM5"), EBUSY);

  device_->Close();
  EXPECT_EQ(second.Open("COM5"), 0) << "closing frees the port";
}

TEST_F(PtyDevice, LineParametersReachTheDeviceOrLeaveItAsItWas) {
  ASSERT_EQ(device_->Open("COM5"), 0);
  LineState state;
  for (std::uint32_t rate : {14400u, 56000u, 128000u, 256000u, 115200u, 31250u}) {
    ASSERT_EQ(device_->SetLineParameters(Block(rate)), 0) << rate;
    ASSERT_EQ(GetLineState(pty_.slave, state), 0);
    EXPECT_EQ(OutputRate(state), rate);
  }
  LineState after;
  EXPECT_EQ(device_->SetLineParameters(Block(0)), EINVAL);
  ASSERT_EQ(GetLineState(pty_.slave, after), 0);
  EXPECT_EQ(state, after);

  std::uint32_t status = 99;
  EXPECT_EQ(device_->ModemStatus(status), 0) << "no modem lines reads as all off";
  EXPECT_EQ(status, 0u);
}

TEST_F(PtyDevice, AfterHangUpTheWaitNeitherReturnsNorSpinsAndStopEndsIt) {
  OpenRaw();
  int returns = 0;
  auto waiter = std::async(std::launch::async, [&] {
    WaitResult r;
    while ((r.outcome = device_->WaitForEvents(r.mask, r.error)) == WaitOutcome::Events) ++returns;
    return r;
  });
  pty_.CloseMaster();
  const auto cpuBefore = ProcessCpuTime();
  EXPECT_EQ(waiter.wait_for(1s), std::future_status::timeout);
  EXPECT_LT(ProcessCpuTime() - cpuBefore, 50ms) << "5% of one second";

  device_->StopWait();
  ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(waiter.get().outcome, WaitOutcome::Stopped);
  EXPECT_EQ(returns, 0);

  char buffer[8];
  std::uint32_t got = 0;
  EXPECT_EQ(device_->Read(buffer, sizeof buffer, got), EIO) << "hang-up must not read as no data";
}

TEST_F(PtyDevice, EightyPercentFullFollowsWhatTheKernelQueueHolds) {
  // The line discipline holds 4095 bytes: a larger queue size, none or a
  // negative one counts as that, so the mark is at 3276 bytes.
  for (const std::uint32_t size : {8192u, 0u, static_cast<std::uint32_t>(-2048)}) {
    SCOPED_TRACE(size);
    OpenRaw();
    ASSERT_EQ(device_->SetQueueSizes(size, 1024), 0);
    Send(std::string(3300, 'x'));
    // The bytes reach the queue in chunks: each wait sees more of them.
    bool full = false;
    for (int wait = 0; wait < 20 && !full; ++wait) {
      const WaitResult result = WaitBounded(1000ms);
      if (result.outcome != WaitOutcome::Events) break;
      full = (result.mask & ev::RX80FULL) != 0;
    }
    EXPECT_TRUE(full);
    EXPECT_EQ(device_->Purge(purge::RXCLEAR), 0);
    device_->Close();
  }
}

}  // namespace

