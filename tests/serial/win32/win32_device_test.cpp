// The component on the Windows device under Wine: scripts/test-windows.sh
// links the COM names of WAGA_WINE_PTY_PORTS to pseudo-terminals and writes
// whatever a test puts into the FIFO <WAGA_WINE_PTY_FEEDS>\to-COMn on the
// master, as the scale would send it; what the component writes collects in
// <WAGA_WINE_PTY_FEEDS>\from-COMn, and 'h' / 'r' into ctl-COMn hold and
// resume the reading of the master. The test thread is the UI thread and
// serves the hand-off.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "serial/com_port.h"
#include "serial/ui_handoff.h"
#include "serial/win32/win32_serial_device.h"

using namespace std::chrono_literals;

namespace {

constexpr auto kLimit = 10000ms;

// Wine's ntdll exports its version; Windows' does not.
bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// The Windows device with a log of every call and its result.
class LoggedDevice final : public SerialDevice {
 public:
  int Open(const std::string& port) override { return Log("Open " + port, real_.Open(port)); }
  bool IsOpen() const override { return real_.IsOpen(); }
  int SetQueueSizes(std::uint32_t input, std::uint32_t output) override {
    return Log("SetupComm " + std::to_string(input) + " " + std::to_string(output),
               real_.SetQueueSizes(input, output));
  }
  int SetLineParameters(const DeviceControlBlock& b) override {
    std::ostringstream text;
    text << "SetCommState flags " << std::hex << b.Flags << std::dec << " rate " << b.BaudRate
         << " size " << int(b.ByteSize) << " parity " << int(b.Parity) << " stop "
         << int(b.StopBits);
    return Log(text.str(), real_.SetLineParameters(b));
  }
  int SetTimeouts(const DeviceTimeouts& t) override {
    std::ostringstream text;
    text << "SetCommTimeouts " << std::hex << t.ReadIntervalTimeout << std::dec << " "
         << t.ReadTotalTimeoutMultiplier << " " << t.ReadTotalTimeoutConstant << " "
         << t.WriteTotalTimeoutMultiplier << " " << t.WriteTotalTimeoutConstant;
    return Log(text.str(), real_.SetTimeouts(t));
  }
  int SetEventMask(std::uint32_t mask) override {
    std::ostringstream text;
    text << "SetCommMask " << std::hex << mask;
    return Log(text.str(), real_.SetEventMask(mask));
  }
  WaitOutcome WaitForEvents(std::uint32_t& mask, int& error) override {
    Log("WaitCommEvent", 0);
    return real_.WaitForEvents(mask, error);
  }
  void StopWait() override { real_.StopWait(); }
  void ResetStop() override { real_.ResetStop(); }
  int QueueStatus(std::uint32_t& count, std::uint32_t& errors) override {
    return real_.QueueStatus(count, errors);
  }
  int Read(char* buffer, std::uint32_t count, std::uint32_t& read) override {
    return real_.Read(buffer, count, read);
  }
  int Write(const char* buffer, std::uint32_t count, std::uint32_t timeoutMs,
            std::uint32_t& written) override {
    return real_.Write(buffer, count, timeoutMs, written);
  }
  int ModemStatus(std::uint32_t& status) override {
    return Log("GetCommModemStatus", real_.ModemStatus(status));
  }
  int Purge(std::uint32_t flags) override {
    if (keepQueueOnAbort_ && (flags & (purge::TXCLEAR | purge::RXCLEAR)) == 0) {
      flags &= ~purge::RXABORT;
    }
    return real_.Purge(flags);
  }
  // Wine's PurgeComm(PURGE_RXABORT) also empties the input queue, which on
  // Windows it leaves alone: it only cancels reads under way, and at a close
  // there are none (every read completes inside Read). Set, the abort at a
  // close keeps Windows' meaning under Wine.
  void KeepQueueOnAbort() { keepQueueOnAbort_ = true; }
  void Close() override { real_.Close(); }

  std::vector<std::string> Calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }

 private:
  int Log(const std::string& call, int result) {
    std::lock_guard lock(mutex_);
    calls_.push_back(result == 0 ? call : call + " failed " + std::to_string(result));
    return result;
  }

  Win32SerialDevice real_;
  bool keepQueueOnAbort_ = false;
  std::mutex mutex_;
  std::vector<std::string> calls_;
};

class ComOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    std::istringstream ports(Environment("WAGA_WINE_PTY_PORTS"));
    ports >> portName_;
    feeds_ = Environment("WAGA_WINE_PTY_FEEDS");
    if (portName_.empty() || feeds_.empty()) {
      GTEST_SKIP() << "needs the COM ports of scripts/test-windows.sh";
    }
    port_ = MakePort();
  }

  // A component on the first pseudo-terminal port, with the main window's
  // settings, that reads every delivery into `received_`.
  std::unique_ptr<TComPort> MakePort(LoggedDevice** logged = nullptr) {
    auto device = std::make_unique<LoggedDevice>();
    if (logged != nullptr) *logged = device.get();
    auto port = std::make_unique<TComPort>("ComPortDriver_in", std::move(device));
    port->SetPort(portName_);
    port->SetBaudRate(br1200);
    port->SetHandoff(&ui_);
    port->OnRxChar = [this](TCustomComPort& sender, std::int32_t count) {
      if (std::this_thread::get_id() != uiThread_) ++foreignDeliveries_;
      std::string text;
      const std::int32_t read = sender.ReadString(text, count);
      if (read != count) ++countMismatches_;
      received_ += text;
    };
    return port;
  }

  void Send(const std::string& bytes, const std::string& fifo = "to-") {
    HANDLE feed = CreateFileA((feeds_ + "\\" + fifo + portName_).c_str(), GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(feed, INVALID_HANDLE_VALUE) << GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(feed, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    EXPECT_EQ(written, bytes.size());
    CloseHandle(feed);
  }

  // Everything the component has written to the port so far.
  std::string Sent() {
    HANDLE file = CreateFileA((feeds_ + "\\from-" + portName_).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string all;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) all.append(buffer, got);
    CloseHandle(file);
    return all;
  }

  bool SentEndsWith(const std::string& bytes) {
    const auto deadline = std::chrono::steady_clock::now() + kLimit;
    for (;;) {
      const std::string all = Sent();
      if (all.size() >= bytes.size() && all.compare(all.size() - bytes.size(), bytes.size(), bytes) == 0) {
        return true;
      }
      if (std::chrono::steady_clock::now() >= deadline) return false;
      Sleep(10);
    }
  }

  bool ServeUntilReceived(const std::string& text) {
    return ui_.ServeUntilFor([&] { return received_ == text; }, kLimit);
  }

  std::string portName_;
  std::string feeds_;
  const std::thread::id uiThread_ = std::this_thread::get_id();
  QueuedUiHandoff ui_;
  std::unique_ptr<TComPort> port_;
  std::string received_;
  int foreignDeliveries_ = 0;
  int countMismatches_ = 0;
  std::vector<std::string> closeLog_;
};

}  // namespace

TEST_F(ComOnWine, OpenMakesTheDesignedCallsAndKernel32AcceptsThem) {
  LoggedDevice* device = nullptr;
  port_ = MakePort(&device);
  port_->Open();
  ASSERT_TRUE(port_->Connected());
  const std::vector<std::string> opening = device->Calls();
  EXPECT_EQ(port_->ReadModemSignals(), TModemSignals{});  // a pty shows every line off
  port_->Close();
  EXPECT_FALSE(port_->Connected());

  // The event thread's first wait may come before or after the modem reads.
  std::vector<std::string> calls = opening;
  std::erase(calls, std::string("WaitCommEvent"));
  const std::vector<std::string> expected = {
      "Open " + portName_,
      "SetupComm 1024 1024",
      "SetCommState flags 1 rate 1200 size 8 parity 0 stop 0",
      "SetCommTimeouts ffffffff 0 0 100 1000",
      "SetCommMask 5ff",
      "GetCommModemStatus",
      "GetCommModemStatus",
      "GetCommModemStatus",
  };
  EXPECT_EQ(calls, expected);
  const std::vector<std::string> all = device->Calls();
  EXPECT_NE(std::find(all.begin(), all.end(), "WaitCommEvent"), all.end());
  // The thread's last act before it ends clears the mask.
  EXPECT_NE(std::find(all.begin(), all.end(), "SetCommMask 0"), all.end());
}

TEST_F(ComOnWine, ReceivedBytesReachOnRxCharOnTheServingThread) {
  LoggedDevice* device = nullptr;
  port_ = MakePort(&device);
  port_->Open();
  Send("  12.50\r\n");
  ASSERT_TRUE(ServeUntilReceived("  12.50\r\n"))
      << received_ << testing::PrintToString(device->Calls());
  std::string more;
  for (int i = 0; i < 50; ++i) more += "line " + std::to_string(i) + "\r\n";
  Send(more);
  ASSERT_TRUE(ServeUntilReceived("  12.50\r\n" + more)) << received_.size();
  EXPECT_EQ(foreignDeliveries_, 0);
  EXPECT_EQ(countMismatches_, 0);
  port_->Close();
}

TEST_F(ComOnWine, ANameWithoutDeviceGivesCode1WithTheSystemsNumber) {
  port_->SetPort(Environment("WAGA_WINE_MISSING_PORT"));
  try {
    port_->Open();
    FAIL() << "opened a port without device";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecOpenFailed);
    EXPECT_EQ(e.SystemError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::string(e.what()), "Unable to open com port (win error code: 2)");
  }
  EXPECT_FALSE(port_->Connected());
}

TEST_F(ComOnWine, ASecondOpenOfAnOpenPortFailsWithTheSharingError) {
  port_->Open();
  auto second = MakePort();
  bool secondOpened = false;
  try {
    second->Open();
    secondOpened = true;
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecOpenFailed);
    // Serial drivers answer "access denied"; a device that goes by the share
    // mode alone answers "sharing violation".
    EXPECT_TRUE(e.SystemError() == ERROR_ACCESS_DENIED || e.SystemError() == ERROR_SHARING_VIOLATION)
        << e.SystemError();
    EXPECT_FALSE(second->Connected());
  }
  // The first holder keeps receiving whatever the second attempt did.
  Send("still mine");
  EXPECT_TRUE(ServeUntilReceived("still mine")) << received_;
  if (secondOpened && UnderWine()) {
    GTEST_SKIP() << "Wine 8 does not enforce share mode 0 on COM devices: a second CreateFileA "
                    "of an open \\\\.\\COMn succeeds, in the same process and from another one";
  }
  EXPECT_FALSE(secondOpened) << "opened an open port a second time";
}

// Wine takes SetCommState with 12345 bps on a pseudo-terminal and keeps
// 38400: the read-back refuses what the driver quietly changed.
TEST_F(ComOnWine, ARateTheDeviceRefusesGivesCode7) {
  port_->SetBaudRate(brCustom);
  port_->SetCustomBaudRate(12345);
  try {
    port_->Open();
    FAIL() << "opened at a rate the device cannot make";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecSetStateFailed);
    EXPECT_GT(e.SystemError(), 0);
  }
  EXPECT_FALSE(port_->Connected());

  // Closed again: the next open at a good rate finds the device free.
  port_->SetBaudRate(br9600);
  port_->Open();
  // Refused while open, the port stays open with its old line state.
  EXPECT_THROW(port_->SetBaudRate(brCustom), EComPort);
  EXPECT_TRUE(port_->Connected());
  Send("ok");
  EXPECT_TRUE(ServeUntilReceived("ok")) << received_;
}

TEST_F(ComOnWine, CloseCompletesADeliveryWaitingForTheUiThreadThenEndsTheThread) {
  LoggedDevice* device = nullptr;
  port_ = MakePort(&device);
  device->KeepQueueOnAbort();
  port_->OnAfterClose = [this](TCustomComPort&) { closeLog_.push_back("AfterClose:" + received_); };
  port_->Open();
  Send("abc");
  ASSERT_TRUE(ui_.AwaitPending(1, kLimit));
  EXPECT_EQ(received_, "");
  port_->Close();
  EXPECT_EQ(closeLog_, std::vector<std::string>{"AfterClose:abc"});
  EXPECT_FALSE(port_->EventThreadRunning());
  EXPECT_FALSE(port_->ThreadCreated());

  // The port opens again and delivers.
  received_.clear();
  port_->Open();
  Send("again");
  EXPECT_TRUE(ServeUntilReceived("again")) << received_;
}

TEST_F(ComOnWine, WrittenBytesReachTheLineAndAStuckOrClosedLineGivesCode2) {
  port_->Open();
  const std::string request = std::string("SI\r\n\x1BP\xFF", 7) + std::string(1, '\0') + "T";
  EXPECT_EQ(port_->WriteString(request), static_cast<std::int32_t>(request.size()));
  EXPECT_TRUE(SentEndsWith(request)) << testing::PrintToString(Sent());

  // The other end stops taking bytes: the write gives up, bounded by the
  // write timeouts, and leaves the port open.
  Send("h", "ctl-");
  port_->Timeouts().SetWriteTotalMultiplier(0);
  port_->Timeouts().SetWriteTotalConstant(200);
  try {
    port_->WriteString(std::string(1 << 20, 'x'));
    ADD_FAILURE() << "a write that the line did not take was reported as done";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecWriteFailed);
    EXPECT_EQ(e.SystemError(), ERROR_TIMEOUT) << e.what();
  }
  EXPECT_TRUE(port_->Connected());
  Send("r", "ctl-");
  EXPECT_EQ(port_->WriteString("Q\r\n"), 3);
  EXPECT_TRUE(SentEndsWith("Q\r\n")) << Sent().size();

  port_->Close();
  try {
    port_->WriteString("Q\r\n");
    ADD_FAILURE() << "wrote to a closed port";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecWriteFailed);
    EXPECT_EQ(e.SystemError(), ERROR_INVALID_HANDLE);
  }
}
