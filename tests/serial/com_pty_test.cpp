// The component on real pseudo-terminals: the master end plays the scale,
// the test thread is the UI thread and serves the hand-off.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <chrono>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "serial/com_port.h"
#include "serial/posix/posix_serial_device.h"
#include "tests/support/serial/pty_with_port_map.h"
#include "serial/ui_handoff.h"

using namespace std::chrono_literals;

namespace {

constexpr auto kLimit = 5000ms;

class ComOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Create());
    port_ = MakePort();
  }

  void TearDown() override {
    port_.reset();
  }

  // A component on COM5 that reads every delivery into `received_`.
  std::unique_ptr<TComPort> MakePort() {
    auto port = std::make_unique<TComPort>("ComPortDriver_in",
                                           std::make_unique<PosixSerialDevice>(pty_.mapFile));
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
    ASSERT_EQ(write(pty_.master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  bool ServeUntilReceived(const std::string& text) {
    return ui_.ServeUntilFor([&] { return received_ == text; }, kLimit);
  }

  PtyWithPortMap pty_;
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
  pty_.CloseMaster();
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

namespace {

// Counts the event thread's hand-offs on their way to the fixture's queue.
class CountingHandoff final : public UiHandoff {
 public:
  explicit CountingHandoff(UiHandoff& inner) : inner_(inner) {}
  void RunOnUiThread(const std::function<void()>& call) override {
    ++handoffs;
    inner_.RunOnUiThread(call);
  }
  void Post(std::function<void()> call) override { inner_.Post(std::move(call)); }
  void ServeUntil(const std::function<bool()>& done) override { inner_.ServeUntil(done); }
  void Wake() override { inner_.Wake(); }
  std::atomic<int> handoffs{0};

 private:
  UiHandoff& inner_;
};

}  // namespace

TEST_F(ComOnPty, EveryLineOfAPacedScaleIsOneHandOffAndOneHandlerCall) {
  CountingHandoff counting(ui_);
  port_->SetHandoff(&counting);
  int handlerCalls = 0;
  const auto read = port_->OnRxChar;
  port_->OnRxChar = [&](TCustomComPort& sender, std::int32_t count) {
    ++handlerCalls;
    read(sender, count);
  };
  // Closed before the counter goes, also when an assertion ends the test.
  const struct CloseFirst {
    TComPort& port;
    ~CloseFirst() { port.Close(); }
  } closeFirst{*port_};
  port_->Open();
  std::string sent;
  constexpr int kLines = 40;
  for (int i = 0; i < kLines; ++i) {
    const std::string line = "  " + std::to_string(10 + i) + ".50\r\n";
    Send(line);
    sent += line;
    ASSERT_TRUE(ServeUntilReceived(sent)) << "line " << i;
  }
  // A second delivery of a line (a wake that finds the queue empty) would
  // have come right behind it, before the next line's.
  EXPECT_EQ(counting.handoffs.load(), kLines);
  EXPECT_EQ(handlerCalls, kLines);
  EXPECT_EQ(countMismatches_, 0);
}
