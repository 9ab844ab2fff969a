#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <string>

#include "tests/support/serial/fake_serial_device.h"

// The scripted wait must hand out queued results in order and block, without
// spinning, until StopWait when the script is empty: later tests of the event
// thread rely on it.
TEST(FakeSerialDevice, WaitServesTheScriptThenBlocksUntilStopped) {
  using namespace std::chrono_literals;
  FakeSerialDevice device;
  ASSERT_EQ(device.Open("COM1"), 0);
  device.Receive("ab");
  device.QueueWaitFailure(EIO);

  std::uint32_t mask = 0;
  int error = 0;
  EXPECT_EQ(device.WaitForEvents(mask, error), WaitOutcome::Events);
  EXPECT_EQ(mask, ev::RXCHAR);
  EXPECT_EQ(device.WaitForEvents(mask, error), WaitOutcome::Failed);
  EXPECT_EQ(error, EIO);

  auto waiting = std::async(std::launch::async, [&] {
    std::uint32_t m = 0;
    int e = 0;
    return device.WaitForEvents(m, e);
  });
  ASSERT_TRUE(device.AwaitWaits(3, 5s));
  EXPECT_TRUE(device.Waiting());
  device.StopWait();
  ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(waiting.get(), WaitOutcome::Stopped);

  std::uint32_t count = 0, errors = 0;
  device.SetLineErrors(0x0008);
  EXPECT_EQ(device.QueueStatus(count, errors), 0);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(errors, 0x0008u);
  char buffer[4];
  std::uint32_t read = 0;
  EXPECT_EQ(device.Read(buffer, 4, read), 0);
  EXPECT_EQ(std::string(buffer, read), "ab");
  device.Close();
  EXPECT_EQ(device.QueueStatus(count, errors), EBADF);
}
