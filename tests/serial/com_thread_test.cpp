// The component's event thread, deliveries and data transfer against the
// scripted device. The test thread is the UI thread: it serves the hand-off.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "serial/ui_handoff.h"
#include "tests/serial/com_test_port.h"

using namespace std::chrono_literals;

namespace {

constexpr auto kLimit = 5000ms;

// A port whose deliveries the test thread serves, with every notification
// recorded as a short text.
struct ServedPort : PortOnFake {
  ServedPort() {
    port->SetHandoff(&ui);
    TComPort& p = *port;
    p.OnBeforeOpen = [this](TCustomComPort&) { log.push_back("BeforeOpen"); };
    p.OnAfterOpen = [this](TCustomComPort&) { log.push_back("AfterOpen"); };
    p.OnBeforeClose = [this](TCustomComPort&) { log.push_back("BeforeClose"); };
    p.OnAfterClose = [this](TCustomComPort&) { log.push_back("AfterClose"); };
    p.OnRxChar = [this](TCustomComPort& sender, std::int32_t count) {
      std::string text;
      sender.ReadString(text, count);
      received += text;
      log.push_back("Rx:" + text);
    };
    p.OnTxEmpty = [this](TCustomComPort&) { log.push_back("TxEmpty"); };
    p.OnBreak = [this](TCustomComPort&) { log.push_back("Break"); };
    p.OnRing = [this](TCustomComPort&) { log.push_back("Ring"); };
    p.OnRxFlag = [this](TCustomComPort&) { log.push_back("RxFlag"); };
    p.OnRx80Full = [this](TCustomComPort&) { log.push_back("Rx80Full"); };
    p.OnCTSChange = [this](TCustomComPort&, bool on) { log.push_back(on ? "CTS+" : "CTS-"); };
    p.OnDSRChange = [this](TCustomComPort&, bool on) { log.push_back(on ? "DSR+" : "DSR-"); };
    p.OnRLSDChange = [this](TCustomComPort&, bool on) { log.push_back(on ? "RLSD+" : "RLSD-"); };
    p.OnError = [this](TCustomComPort&, TComErrors errors) {
      log.push_back("Error:" + std::to_string(errors.ToBits()));
    };
  }
  ~ServedPort() { port.reset(); }

  // Serves deliveries until `count` notifications are logged.
  bool ServeUntilLogged(std::size_t count) {
    return ui.ServeUntilFor([&] { return log.size() >= count; }, kLimit);
  }

  QueuedUiHandoff ui;
  std::vector<std::string> log;
  std::string received;
};

std::vector<std::string> Without(std::vector<std::string> names, const std::string& dropped) {
  std::erase(names, dropped);
  return names;
}

}  // namespace

TEST(ComThread, OpenAtTheMainWindowSettingsMakesTheseDeviceCalls) {
  ServedPort f;
  f.port->SetPort("COM2");
  f.port->SetBaudRate(br1200);
  f.device->SetModemStatus(ms::CTS_ON);
  f.port->Open();
  ASSERT_TRUE(f.device->AwaitWaits(1, kLimit));
  EXPECT_TRUE(f.port->ThreadCreated());

  const std::vector<std::string> names = f.device->CallNames();
  EXPECT_EQ(Without(names, "WaitForEvents"),
            (std::vector<std::string>{"Open", "SetQueueSizes", "SetLineParameters", "SetTimeouts",
                                      "ResetStop", "SetEventMask", "ModemStatus", "ModemStatus",
                                      "ModemStatus"}));
  // The thread's first wait comes after the event mask was set.
  EXPECT_GT(std::find(names.begin(), names.end(), "WaitForEvents") - names.begin(), 5);
  EXPECT_EQ(f.device->CallsOf("Open")[0].text, "COM2");
  EXPECT_EQ(f.device->CallsOf("SetQueueSizes")[0].args, (std::vector<std::uint32_t>{1024, 1024}));
  const DeviceControlBlock b = f.device->CallsOf("SetLineParameters")[0].block;
  EXPECT_EQ(std::vector<std::uint32_t>({b.Flags, b.BaudRate, b.ByteSize, b.Parity, b.StopBits}),
            std::vector<std::uint32_t>({0x0001, 1200, 8, 0, 0}));
  const DeviceTimeouts t = f.device->CallsOf("SetTimeouts")[0].timeouts;
  EXPECT_EQ(std::vector<std::uint32_t>({t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                                        t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                                        t.WriteTotalTimeoutConstant}),
            std::vector<std::uint32_t>({0xFFFFFFFF, 0, 0, 100, 1000}));
  EXPECT_EQ(f.device->CallsOf("SetEventMask")[0].args, std::vector<std::uint32_t>{0x05FF});

  // Close: cancel, stop the thread, which clears the mask and the queues,
  // then close the device.
  f.device->ClearCalls();
  f.port->Close();
  EXPECT_EQ(f.device->CallNames(), (std::vector<std::string>{"Purge", "StopWait", "SetEventMask",
                                                             "Purge", "Close"}));
  const auto purges = f.device->CallsOf("Purge");
  EXPECT_EQ(purges[0].args[0], purge::TXABORT | purge::RXABORT);
  EXPECT_EQ(purges[1].args[0], purge::TXCLEAR | purge::RXCLEAR);
  EXPECT_EQ(f.device->CallsOf("SetEventMask")[0].args[0], 0u);
  EXPECT_FALSE(f.port->ThreadCreated());
}

TEST(ComThread, OpenCloseCycleNotifiesInOrderWithDeliveriesOnTheUiThread) {
  ServedPort f;
  f.device->SetModemStatus(ms::CTS_ON | ms::RLSD_ON);
  std::thread::id handlerThread;
  f.port->OnRxFlag = [&](TCustomComPort&) { handlerThread = std::this_thread::get_id(); };
  f.port->Open();
  f.device->Receive("12.50\r\n");
  f.device->QueueEvents(ev::RXFLAG);
  ASSERT_TRUE(f.ui.ServeUntilFor([&] { return handlerThread != std::thread::id(); }, kLimit));
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
  f.port->Close();
  EXPECT_EQ(f.log, (std::vector<std::string>{"BeforeOpen", "AfterOpen", "CTS+", "DSR-", "RLSD+",
                                             "Rx:12.50\r\n", "BeforeClose", "CTS-", "DSR-",
                                             "RLSD-", "AfterClose"}));
}

TEST(ComThread, EveryFailureOfOpenLeavesTheStateItsRowGives) {
  struct Row {
    const char* call;
    std::int32_t code;
    bool connected;
  };
  const Row rows[] = {{"Open", ecOpenFailed, false},
                      {"SetQueueSizes", ecSetupFailed, false},
                      {"SetLineParameters", ecSetStateFailed, false},
                      {"SetTimeouts", ecSetTimeoutsFailed, false},
                      {"ModemStatus", ecModemStatusFailed, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.call);
    ServedPort f;
    f.device->FailOnce(row.call, EIO);
    try {
      f.port->Open();
      ADD_FAILURE() << "Open did not fail";
    } catch (const EComPort& e) {
      EXPECT_EQ(e.ErrorCode(), row.code);
      EXPECT_EQ(e.SystemError(), EIO);
    }
    EXPECT_EQ(f.port->Connected(), row.connected);
    EXPECT_EQ(f.device->IsOpen(), row.connected);
    EXPECT_EQ(f.port->ThreadCreated(), row.connected);
    if (!row.connected) {
      EXPECT_TRUE(f.device->CallsOf("SetEventMask").empty());
      EXPECT_EQ(f.log, std::vector<std::string>{"BeforeOpen"});
      continue;
    }
    // Open but the lines unread: the thread runs and delivers.
    EXPECT_EQ(f.log, (std::vector<std::string>{"BeforeOpen", "AfterOpen"}));
    f.device->Receive("a");
    ASSERT_TRUE(f.ui.ServeUntilFor([&] { return f.received == "a"; }, kLimit));
  }
}

TEST(ComThread, EmptyEventsOpenWithoutAThread) {
  ServedPort f;
  f.port->SetEvents({});
  f.port->Open();
  EXPECT_TRUE(f.port->Connected());
  EXPECT_FALSE(f.port->ThreadCreated());
  f.port->Close();
  for (const char* call : {"ResetStop", "SetEventMask", "WaitForEvents", "StopWait"})
    EXPECT_TRUE(f.device->CallsOf(call).empty()) << call;
}

TEST(ComThread, OneCompletionDispatchesItsEventsInFixedOrder) {
  ServedPort f;
  f.device->SetModemStatus(ms::CTS_ON);
  f.port->Open();
  f.log.clear();
  // The count query of the received characters comes first and clears the
  // framing error, so the error event finds none left.
  f.device->Feed("ab");
  f.device->SetLineErrors(ce::FRAME);
  f.device->QueueEvents(0x05FF);
  ASSERT_TRUE(f.ServeUntilLogged(10));
  EXPECT_EQ(f.log, (std::vector<std::string>{"Rx:ab", "TxEmpty", "Break", "Ring", "CTS+", "DSR-",
                                             "RxFlag", "RLSD-", "Error:0", "Rx80Full"}));

  // No known bit: nothing is delivered. Characters already read: no OnRxChar.
  f.log.clear();
  f.device->QueueEvents(0x0800);
  f.device->QueueEvents(ev::RXCHAR);
  f.device->QueueEvents(ev::ERR);
  ASSERT_TRUE(f.ServeUntilLogged(1));
  EXPECT_EQ(f.log, std::vector<std::string>{"Error:0"});

  f.device->SetLineErrors(ce::FRAME | ce::RXPARITY | ce::OVERRUN);
  f.device->QueueEvents(ev::ERR);
  ASSERT_TRUE(f.ServeUntilLogged(2));
  const TComErrors expected{ceFraming, ceOverrun};  // parity is not checked
  EXPECT_EQ(f.log[1], "Error:" + std::to_string(expected.ToBits()));
}

namespace {

class WindowSyncPort : public TComPort {
 public:
  using TComPort::TComPort;
  std::vector<std::pair<std::uint32_t, std::uintptr_t>> messages;

 protected:
  std::intptr_t SyncWindowProc(std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) override {
    messages.emplace_back(message, wParam);
    return TComPort::SyncWindowProc(message, wParam, lParam);
  }
};

}  // namespace

TEST(ComThread, WindowSyncSendsOneMessagePerEventWithItsMaskBit) {
  auto owned = std::make_unique<FakeSerialDevice>();
  FakeSerialDevice& device = *owned;
  QueuedUiHandoff ui;
  WindowSyncPort port("ComPortDriver_in", std::move(owned));
  port.SetHandoff(&ui);
  port.SetSyncMethod(smWindowSync);
  std::vector<std::string> log;
  port.OnRLSDChange = [&](TCustomComPort&, bool on) { log.push_back(on ? "RLSD+" : "RLSD-"); };
  port.OnRing = [&](TCustomComPort&) { log.push_back("Ring"); };
  port.OnBreak = [](TCustomComPort&) { throw std::runtime_error("break handler"); };
  std::string reported;
  port.OnBackgroundError = [&](const std::exception& e) { reported = e.what(); };
  port.Open();
  log.clear();

  device.SetModemStatus(ms::RLSD_ON);
  device.QueueEvents(ev::RLSD);
  ASSERT_TRUE(ui.ServeUntilFor([&] { return log.size() == 1; }, kLimit));
  EXPECT_EQ(log, std::vector<std::string>{"RLSD+"});
  EXPECT_EQ(port.messages, (decltype(port.messages){{1025, 32}}));

  // A failing handler is reported on the UI thread; the thread goes on.
  port.messages.clear();
  device.QueueEvents(ev::RING | ev::BREAK);
  ASSERT_TRUE(ui.ServeUntilFor([&] { return port.messages.size() == 2; }, kLimit));
  EXPECT_EQ(port.messages, (decltype(port.messages){{1025, 64}, {1025, 256}}));
  EXPECT_EQ(reported, "break handler");
  device.QueueEvents(ev::RING);
  ASSERT_TRUE(ui.ServeUntilFor([&] { return log.size() == 3; }, kLimit));
  EXPECT_EQ(port.messages.back(), (std::pair<std::uint32_t, std::uintptr_t>{1025, 256}));
  port.Close();
}

TEST(ComThread, CloseFromInsideAHandlerClosesBeforeItReturns) {
  ServedPort f;
  f.port->Open();
  f.port->OnRxChar = [&](TCustomComPort& sender, std::int32_t) {
    sender.Close();
    f.log.push_back(sender.Connected() ? "still open" : "closed inside");
  };
  f.device->Receive("x");
  ASSERT_TRUE(f.ui.ServeUntilFor([&] { return f.log.back() == "closed inside"; }, kLimit));
  EXPECT_EQ(std::vector<std::string>(f.log.end() - 6, f.log.end()),
            (std::vector<std::string>{"BeforeClose", "CTS-", "DSR-", "RLSD-", "AfterClose",
                                      "closed inside"}));
  EXPECT_FALSE(f.device->IsOpen());
}

TEST(ComThread, HandlersRunOnTheEventThreadWithoutSync) {
  ServedPort f;
  f.port->SetSyncMethod(smNone);
  std::thread::id handlerThread;
  bool closedInside = false;
  TestSignal delivered;
  f.port->OnRxChar = [&](TCustomComPort& sender, std::int32_t) {
    handlerThread = std::this_thread::get_id();
    sender.Close();  // on the event thread, at once
    closedInside = !sender.Connected();
    delivered.Set();
  };
  f.port->Open();
  f.device->Receive("x");
  ASSERT_TRUE(delivered.WaitFor(kLimit));
  EXPECT_NE(handlerThread, std::this_thread::get_id());
  EXPECT_TRUE(closedInside);
  EXPECT_FALSE(f.port->Connected());
}

TEST(ComThread, AWaitThatCannotStartIsRetried) {
  ServedPort f;
  f.device->FailOnce("WaitForEvents", EIO);
  f.port->Open();
  ASSERT_TRUE(f.device->AwaitWaits(2, kLimit));
  f.device->Receive("after");
  ASSERT_TRUE(f.ui.ServeUntilFor([&] { return f.received == "after"; }, kLimit));
}

TEST(ComThread, DestructionWithADeliveryWaitingCompletesIt) {
  auto f = std::make_unique<ServedPort>();
  f->port->Open();
  f->device->Receive("last");
  ASSERT_TRUE(f->ui.AwaitPending(1, kLimit));
  f->port.reset();
  EXPECT_EQ(f->received, "last");
}

TEST(ComTransfer, ReadsWhatHasArrivedAndQueriesTheDevice) {
  ServedPort f;
  f.port->SetEvents({});
  std::string text = "old";
  try {
    f.port->ReadString(text, 1);  // never opened
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecReadFailed);
    EXPECT_EQ(e.SystemError(), EBADF);
  }
  f.port->Open();
  f.device->Feed("\r\n123");
  EXPECT_EQ(f.port->InputQueueCount(), 5);
  EXPECT_EQ(f.port->ReadString(text, 0), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(f.port->ReadString(text, 3), 3);
  EXPECT_EQ(text, "\r\n1");
  EXPECT_EQ(f.port->ReadString(text, 5), 2);
  EXPECT_EQ(text, "23");
  try {
    f.port->WaitForPendingIo(nullptr);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(), "Invalid Async parameter");
  }
  // Parity errors count only while parity is checked.
  f.device->SetLineErrors(ce::RXPARITY | ce::IOE);
  EXPECT_EQ(f.port->ReadLineErrors(), TComErrors{ceDeviceIO});
  f.port->Parity().SetCheck(true);
  f.device->SetLineErrors(ce::RXPARITY | ce::MODE | ce::TXFULL | ce::RXOVER);
  EXPECT_EQ(f.port->ReadLineErrors(),
            (TComErrors{ceParity, ceBadMode, ceOutputFull, ceInputOverflow}));
  f.device->SetModemStatus(ms::CTS_ON | ms::RLSD_ON);
  EXPECT_EQ(f.port->ReadModemSignals(), (TModemSignals{msCTS, msRLSD}));

  f.device->Fail("QueueStatus", 6);
  f.device->Feed("z");
  try {
    f.port->ReadString(text, 1);  // the read's queue query fails
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(), "ClearCommError function failed (win error code: 6)");
  }
  f.port->Close();
}
