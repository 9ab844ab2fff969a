// The component on network ports: against a real ser2net with a
// pseudo-terminal behind it, and against addresses where nobody listens.
#include <gtest/gtest.h>
#include <termios.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <string>

#include "serial/com_port.h"
#include "serial/posix/mapped_serial_device.h"
#include "serial/ui_handoff.h"
#include "tests/serial/net/ser2net_server.h"

using namespace std::chrono_literals;
using ser2net_test::Ser2netServer;
using ser2net_test::WaitFor;

namespace {

constexpr auto kLimit = 5000ms;

class NetPort : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!server_.Create(why)) GTEST_SKIP() << "skipped, no ser2net to test against: " << why;
  }

  // A component on COM3 as `target` maps it, reading every delivery.
  void MakePort(const std::string& line) {
    const std::string map = server_.WritePortMap("COM3=" + line + "\n");
    port_ = std::make_unique<TComPort>("ComPortDriver_in", std::make_unique<MappedSerialDevice>(map));
    port_->SetPort("COM3");
    port_->SetHandoff(&ui_);
    port_->SetBaudRate(br1200);  // the program's rate, not ser2net's 9600
    port_->OnRxChar = [this](TCustomComPort& sender, std::int32_t count) {
      std::string text;
      sender.ReadString(text, count);
      received_ += text;
    };
  }

  bool OpenOnceFree() { return ser2net_test::OpenOnceFree(*port_); }

  std::string Raw() const { return "tcp://127.0.0.1:" + std::to_string(server_.rawPort); }
  std::string Telnet() const { return "rfc2217://127.0.0.1:" + std::to_string(server_.telnetPort); }

  bool Received(const std::string& text) {
    return ui_.ServeUntilFor([&] { return received_ == text; }, kLimit);
  }

  // ser2net has opened the pty and put its line at the rate.
  bool PtyAt(speed_t rate) {
    return WaitFor([&] { return server_.Rate() == rate; });
  }
  const termios& Line() {
    line_ = server_.Line();
    return line_;
  }

  Ser2netServer server_;
  QueuedUiHandoff ui_;
  std::unique_ptr<TComPort> port_;
  std::string received_;
  termios line_{};
};

const std::string kStream = std::string("  12.50\r\n\xFF\xFF" "ab\xFF\r\n\0x\r\n", 17);

}  // namespace

TEST_F(NetPort, BytesFromThePtyReachOnRxCharOverRawTcp) {
  MakePort(Raw());
  port_->Open();
  ASSERT_TRUE(port_->Connected());
  ASSERT_TRUE(PtyAt(B9600)) << "ser2net did not open the pty at its own rate";
  ASSERT_TRUE(server_.Send(kStream));
  EXPECT_TRUE(Received(kStream)) << received_.size() << " bytes";
  // A raw connection reads as a cable with a ready peer.
  EXPECT_EQ(port_->ReadModemSignals(), (TModemSignals{msCTS, msDSR, msRLSD}));
}

TEST_F(NetPort, BytesFromThePtyIncluding255ArriveOnceOverTelnet) {
  MakePort(Telnet());
  port_->Open();
  ASSERT_TRUE(PtyAt(B1200)) << "the component's rate did not reach the pty";
  ASSERT_TRUE(server_.Send(kStream));
  EXPECT_TRUE(Received(kStream)) << received_.size() << " bytes";
  std::string more;
  for (int i = 0; i < 200; ++i) more += std::string(1, static_cast<char>(i)) + "\xFF line\r\n";
  ASSERT_TRUE(server_.Send(more));
  EXPECT_TRUE(Received(kStream + more)) << received_.size() << " bytes";
}

// A pty keeps 8 data bits and no parity whatever is asked (the kernel's pty
// driver forces them); the rate, the stop bits and the flow control show.
TEST_F(NetPort, RateAndFormatSetByTheComponentReachThePty) {
  MakePort(Telnet() + " 7E2 rtscts");
  port_->SetBaudRate(br19200);
  port_->Open();
  ASSERT_TRUE(PtyAt(B19200));
  EXPECT_TRUE(WaitFor([&] { return (Line().c_cflag & (CSTOPB | CRTSCTS)) == (CSTOPB | CRTSCTS); }));

  port_->SetBaudRate(br4800);
  EXPECT_TRUE(PtyAt(B4800));
  port_->Close();

  MakePort(Telnet() + " 8N1 xonxoff");
  port_->SetBaudRate(br2400);
  ASSERT_TRUE(OpenOnceFree());
  ASSERT_TRUE(PtyAt(B2400));
  EXPECT_TRUE(WaitFor([&] {
    const termios& t = Line();
    return (t.c_cflag & (CSTOPB | CRTSCTS)) == 0 && (t.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF);
  }));
}

TEST_F(NetPort, AStoppedServerIsAHangUpAndRefusesUntilItIsBack) {
  MakePort(Telnet());
  bool rlsd = false;
  port_->OnRLSDChange = [&rlsd](TCustomComPort&, bool on) { rlsd = on; };
  port_->Open();
  ASSERT_TRUE(PtyAt(B1200));
  ASSERT_TRUE(server_.Send("before\r\n"));
  ASSERT_TRUE(Received("before\r\n"));

  server_.Stop();
  // The data line goes off: the hang-up shows as RLSD dropping... which only
  // a port that had it on can show; the port then stays quiet.
  EXPECT_TRUE(ui_.ServeUntilFor([&] { return !rlsd; }, kLimit));
  port_->Close();
  try {
    port_->Open();
    FAIL() << "opened without a server";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecOpenFailed);
    EXPECT_EQ(e.SystemError(), ECONNREFUSED);
    EXPECT_NE(std::string(e.what()).find("127.0.0.1:" + std::to_string(server_.telnetPort)),
              std::string::npos);
  }
  EXPECT_FALSE(port_->Connected());

  ASSERT_TRUE(server_.Start());
  ASSERT_TRUE(OpenOnceFree());
  ASSERT_TRUE(PtyAt(B1200));
  ASSERT_TRUE(server_.Send("after\r\n"));
  EXPECT_TRUE(Received("before\r\nafter\r\n"));
}

TEST_F(NetPort, MalformedLinesAreRefusedWithAReasonAndNothingIsOpened) {
  for (const std::string& line : {Telnet() + " 7X1", std::string("tcp://127.0.0.1"),
                                  std::string("rfc2217://host name:1")}) {
    MakePort(line);
    try {
      port_->Open();
      FAIL() << line;
    } catch (const EComPort& e) {
      EXPECT_EQ(e.ErrorCode(), ecOpenFailed);
      EXPECT_EQ(e.SystemError(), EINVAL);
      EXPECT_NE(std::string(e.what()).find("porty.ini, COM3: "), std::string::npos) << e.what();
    }
    EXPECT_FALSE(port_->Connected());
  }
}

TEST_F(NetPort, ANameThatIsNotFoundIsReportedAsSuch) {
  MakePort("tcp://no-such-host.invalid:4001");
  try {
    port_->Open();
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecOpenFailed);
    // Found not to exist, or not answered within the bounded wait.
    EXPECT_TRUE(std::string(e.what()).find("no-such-host.invalid") != std::string::npos) << e.what();
  }
  EXPECT_FALSE(port_->Connected());
}
