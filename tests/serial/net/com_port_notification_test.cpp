// The component on an RFC 2217 server that the test scripts: modem and line
// state notifications become the component's events, a purge reaches the
// server, and a server that misbehaves is refused or outlived within bounds.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <string>

#include "serial/com_port.h"
#include "serial/net/net_serial_device.h"
#include "serial/net/net_target.h"
#include "serial/ui_handoff.h"
#include "tests/serial/net/scripted_com_port_server.h"
#include "tests/serial/net/ser2net_server.h"

using namespace std::chrono_literals;
using ser2net_test::WaitFor;

namespace {

constexpr auto kLimit = 5000ms;

struct Signals {
  bool cts = false, dsr = false, rlsd = false;
  int ctsEvents = 0, rings = 0, breaks = 0;
  TComErrors errors;
};

class ComPortNotifications : public ::testing::Test {
 protected:
  void MakePort(const ScriptedComPortServer& server) {
    NetTarget target;
    std::string error;
    ASSERT_TRUE(ParseNetTarget(server.Target(), target, error)) << error;
    port_ = std::make_unique<TComPort>("ComPortDriver_in", std::make_unique<NetSerialDevice>(target));
    port_->SetPort("COM3");
    port_->SetHandoff(&ui_);
    port_->SetBaudRate(br1200);
    port_->OnCTSChange = [this](TCustomComPort&, bool on) {
      signals_.cts = on;
      ++signals_.ctsEvents;
    };
    port_->OnDSRChange = [this](TCustomComPort&, bool on) { signals_.dsr = on; };
    port_->OnRLSDChange = [this](TCustomComPort&, bool on) { signals_.rlsd = on; };
    port_->OnRing = [this](TCustomComPort&) { ++signals_.rings; };
    port_->OnBreak = [this](TCustomComPort&) { ++signals_.breaks; };
    port_->OnError = [this](TCustomComPort&, TComErrors errors) { signals_.errors = errors; };
    port_->OnRxChar = [this](TCustomComPort& sender, std::int32_t count) {
      std::string text;
      sender.ReadString(text, count);
      received_ += text;
    };
  }

  bool Until(const std::function<bool()>& done) { return ui_.ServeUntilFor(done, kLimit); }

  QueuedUiHandoff ui_;
  std::unique_ptr<TComPort> port_;
  Signals signals_;
  std::string received_;
};

TEST_F(ComPortNotifications, ModemStateBecomesCtsDsrRlsdAndRingEvents) {
  ScriptedComPortServer server;
  MakePort(server);
  port_->Open();
  // The server tells its lines as soon as the port asks for them.
  ASSERT_TRUE(Until([&] { return signals_.cts && signals_.dsr && signals_.rlsd; }));
  EXPECT_EQ(server.Rate(), 1200u);

  server.NotifyModemState(cpc::ModemDsr | cpc::ModemCd | cpc::ModemDeltaCts);
  ASSERT_TRUE(Until([&] { return !signals_.cts; }));
  EXPECT_TRUE(signals_.dsr && signals_.rlsd);
  EXPECT_EQ(port_->ReadModemSignals(), (TModemSignals{msDSR, msRLSD}));

  server.NotifyModemState(cpc::ModemDsr | cpc::ModemCd | cpc::ModemRing);
  ASSERT_TRUE(Until([&] { return signals_.rings == 1; }));
  EXPECT_TRUE(port_->ReadModemSignals().Contains(msRing));

  // A CTS pulse between two notifications: the state is the same, the
  // change bit tells that it went and came back.
  const int ctsEvents = signals_.ctsEvents;
  server.NotifyModemState(cpc::ModemDsr | cpc::ModemCd | cpc::ModemRingTrailingEdge | cpc::ModemDeltaCts);
  EXPECT_TRUE(Until([&] { return signals_.ctsEvents == ctsEvents + 1; }));
  EXPECT_TRUE(Until([&] { return signals_.rings == 2; }));

  server.NotifyModemState(0);
  EXPECT_TRUE(Until([&] { return !signals_.dsr && !signals_.rlsd; }));
  EXPECT_FALSE(signals_.cts);
}

TEST_F(ComPortNotifications, LineStateBecomesErrorAndBreakEvents) {
  ScriptedComPortServer server;
  MakePort(server);
  port_->Parity().SetCheck(true);
  port_->Open();
  ASSERT_TRUE(Until([&] { return server.ComPortEnabled(); }));

  server.NotifyLineState(cpc::LineFraming | cpc::LineOverrun | cpc::LineParity);
  ASSERT_TRUE(Until([&] { return !signals_.errors.Empty(); }));
  EXPECT_EQ(signals_.errors, (TComErrors{ceFraming, ceOverrun, ceParity}));

  server.NotifyLineState(cpc::LineBreak);
  EXPECT_TRUE(Until([&] { return signals_.breaks == 1; }));

  // Data after the notifications still arrives whole.
  server.SendData("  12.50\r\n\xFF");
  EXPECT_TRUE(Until([&] { return received_ == "  12.50\r\n\xFF"; })) << received_;
}

TEST_F(ComPortNotifications, ClosingPurgesTheServersQueues) {
  ScriptedComPortServer server;
  MakePort(server);
  port_->Open();
  ASSERT_TRUE(Until([&] { return server.ComPortEnabled(); }));
  EXPECT_EQ(server.Purges(), 0);
  port_->Close();
  EXPECT_TRUE(WaitFor([&] { return server.Purges() == 1; }));
  EXPECT_TRUE(WaitFor([&] { return !server.Connected(); }));
}

TEST_F(ComPortNotifications, ASilentServerIsRefusedAndNothingStaysOpen) {
  ScriptedComPortServer server(ScriptedComPortServer::Mode::Silent);
  MakePort(server);
  try {
    port_->Open();
    FAIL() << "opened on a server that never answered";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecOpenFailed);
    EXPECT_EQ(e.SystemError(), ETIMEDOUT);
    EXPECT_NE(std::string(e.what()).find("RFC 2217"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(port_->Connected());
  EXPECT_TRUE(WaitFor([&] { return !server.Connected(); }));
}

// A server that sends far more than the program reads: the input queue stays
// at its size, the server is held back, and every byte arrives in order once
// the program reads.
TEST_F(ComPortNotifications, AFloodIsHeldBackAtTheQueueSizeAndNothingIsLost) {
  ScriptedComPortServer server;
  MakePort(server);
  port_->OnRxChar = nullptr;
  port_->Buffer().SetInputSize(1024);
  port_->Open();
  ASSERT_TRUE(Until([&] { return server.ComPortEnabled(); }));
  std::string flood;
  for (int i = 0; flood.size() < 300'000; ++i) flood += std::to_string(i) + "\xFF\r\n";
  server.SendData(flood);
  ASSERT_TRUE(Until([&] { return port_->InputQueueCount() == 1024; }));
  // Option requests and no-operations in the stream change nothing.
  for (int i = 0; i < 1000; ++i) server.SendRaw("\xFF\xFB\x01\xFF\xFC\x01\xFF\xF1");
  std::string read;
  ASSERT_TRUE(Until([&] {
    std::string part;
    port_->ReadString(part, 4096);
    EXPECT_LE(part.size(), 1024u);
    read += part;
    return read.size() >= flood.size();
  }));
  EXPECT_EQ(read, flood);
}

}  // namespace
