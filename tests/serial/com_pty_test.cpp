// The component on real pseudo-terminals: the master end plays the scale,
// the test thread is the UI thread and serves the hand-off.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "serial/com_port.h"
#include "serial/posix/posix_serial_device.h"
#include "serial/ui_handoff.h"

using namespace std::chrono_literals;

namespace {

constexpr auto kLimit = 5000ms;

std::chrono::nanoseconds ProcessCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

class ComOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[256] = {};
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    char pattern[] = "/tmp/porty-XXXXXX";
    const int file = mkstemp(pattern);
    ASSERT_GE(file, 0);
    mapFile_ = pattern;
    const std::string map = "COM5=" + std::string(name) + "\r\nCOM7=/nonexistent/ttyUSB9\r\n";
    ASSERT_EQ(write(file, map.data(), map.size()), static_cast<ssize_t>(map.size()));
    close(file);
    port_ = MakePort();
  }

  void TearDown() override {
    port_.reset();
    if (master_ >= 0) close(master_);
    close(slave_);
    unlink(mapFile_.c_str());
  }

  // A component on COM5 that reads every delivery into `received_`.
  std::unique_ptr<TComPort> MakePort() {
    auto port = std::make_unique<TComPort>("ComPortDriver_in",
                                           std::make_unique<PosixSerialDevice>(mapFile_));
    port->SetPort("COM5");
    port->SetHandoff(&ui_);
    port->OnRxChar = [this](TCustomComPort& sender, std::int32_t count) {
      if (std::this_thread::get_id() != uiThread_) ++foreignDeliveries_;
      std::string text;
      const std::int32_t read = sender.ReadString(text, count);
      if (read != count || static_cast<std::int32_t>(text.size()) != read) ++countMismatches_;
      received_ += text;
      if (throwOnRx_) throw std::runtime_error("handler failed");
    };
    return port;
  }

  void Send(const std::string& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  bool ServeUntilReceived(const std::string& text) {
    return ui_.ServeUntilFor([&] { return received_ == text; }, kLimit);
  }

  int master_ = -1;
  int slave_ = -1;
  std::string mapFile_;
  const std::thread::id uiThread_ = std::this_thread::get_id();
  QueuedUiHandoff ui_;
  std::unique_ptr<TComPort> port_;
  std::string received_;
  int foreignDeliveries_ = 0;
  int countMismatches_ = 0;
  bool throwOnRx_ = false;
};

}  // namespace

TEST_F(ComOnPty, ReceivedBytesReachOnRxCharOnTheServingThread) {
  port_->Open();
  Send("  12.50\r\n");
  ASSERT_TRUE(ServeUntilReceived("  12.50\r\n")) << received_;
  std::string more;
  for (int i = 0; i < 50; ++i) more += "line " + std::to_string(i) + "\r\n";
  Send(more);
  ASSERT_TRUE(ServeUntilReceived("  12.50\r\n" + more));
  EXPECT_EQ(foreignDeliveries_, 0);
  EXPECT_EQ(countMismatches_, 0);
  EXPECT_EQ(port_->ReadModemSignals(), TModemSignals{});  // a pty has no modem lines
  port_->Close();
}

TEST_F(ComOnPty, MissingOrBusyDevicesFailToOpen) {
  port_->SetPort("COM7");
  try {
    port_->Open();
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecOpenFailed);
    EXPECT_EQ(e.SystemError(), 2);
    EXPECT_STREQ(e.what(), "Unable to open com port (win error code: 2)");
  }
  EXPECT_FALSE(port_->Connected());

  port_->SetPort("COM5");
  port_->Open();
  auto second = MakePort();
  try {
    second->Open();
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecOpenFailed);
    EXPECT_EQ(e.SystemError(), EBUSY);
  }
  EXPECT_FALSE(second->Connected());
  Send("still mine");
  EXPECT_TRUE(ServeUntilReceived("still mine"));
}

TEST_F(ComOnPty, AfterTheMasterClosesTheThreadNeitherSpinsNorHangsClose) {
  port_->Open();
  Send("bye\n");
  ASSERT_TRUE(ServeUntilReceived("bye\n"));
  close(master_);
  master_ = -1;
  // Serve whatever the hang-up delivers for one second and measure the CPU
  // the process spent meanwhile.
  const auto cpuBefore = ProcessCpuTime();
  const auto wallBefore = std::chrono::steady_clock::now();
  ui_.ServeUntilFor([] { return false; }, 1000ms);
  const auto cpu = ProcessCpuTime() - cpuBefore;
  const auto wall = std::chrono::steady_clock::now() - wallBefore;
  EXPECT_LT(cpu * 20, wall) << "CPU " << cpu.count() << " ns over " << wall.count() << " ns";
  port_->Close();
  EXPECT_FALSE(port_->Connected());
}

TEST_F(ComOnPty, CloseCompletesADeliveryWaitingForTheUiThread) {
  std::vector<std::string> log;
  port_->OnAfterClose = [&](TCustomComPort&) { log.push_back("AfterClose:" + received_); };
  port_->Open();
  Send("abc");
  ASSERT_TRUE(ui_.AwaitPending(1, kLimit));
  EXPECT_EQ(received_, "");
  port_->Close();
  EXPECT_EQ(log, std::vector<std::string>{"AfterClose:abc"});
}

TEST_F(ComOnPty, AHandlerExceptionEndsTheThreadAndReopeningRestoresDelivery) {
  throwOnRx_ = true;
  port_->Open();
  Send("a");
  ASSERT_TRUE(ui_.ServeUntilFor([&] { return !port_->EventThreadRunning(); }, kLimit));
  EXPECT_EQ(received_, "a");
  EXPECT_TRUE(port_->Connected());
  EXPECT_TRUE(port_->ThreadCreated());

  throwOnRx_ = false;
  port_->Close();
  port_->Open();
  EXPECT_TRUE(port_->EventThreadRunning());
  Send("b");
  ASSERT_TRUE(ui_.ServeUntilFor([&] { return received_.ends_with("b"); }, kLimit));
  port_->Close();
}
