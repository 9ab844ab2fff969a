// Writing through the component to a peer on each kind of device: a
// pseudo-terminal, a raw TCP server and an RFC 2217 server, scripted by the
// test. The bytes arrive as they stand (0xFF doubled on the Telnet wire
// only), a peer that does not read makes the write give up within its
// timeouts, and a closed or hung-up port refuses it with code 2.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

#include "serial/com_port.h"
#include "serial/net/net_serial_device.h"
#include "serial/net/net_target.h"
#include "serial/net/telnet_options.h"
#include "serial/posix/posix_serial_device.h"
#include "serial/ui_handoff.h"
#include "tests/serial/net/scripted_com_port_server.h"
#include "tests/serial/net/ser2net_server.h"
#include "tests/support/serial/pty_with_port_map.h"

using ser2net_test::WaitFor;

namespace {

enum class Transport { Pty, RawTcp, Rfc2217 };
const char* const kTransportNames[] = {"Pty", "RawTcp", "Rfc2217"};

// A request with every byte that a careless path could lose or change.
const std::string kRequest = std::string("SI\r\n\x1BP\xFF", 7) + std::string(1, '\0') + "T";

class ComWrite : public ::testing::TestWithParam<Transport> {
 protected:
  void SetUp() override {
    if (GetParam() == Transport::Pty) {
      ASSERT_TRUE(pty_.Create());
      port_ = std::make_unique<TComPort>("ComPortDriver_in", std::make_unique<PosixSerialDevice>(pty_.mapFile));
    } else {
      const bool telnet = GetParam() == Transport::Rfc2217;
      server_ = std::make_unique<ScriptedComPortServer>(telnet ? ScriptedComPortServer::Mode::Answering
                                                               : ScriptedComPortServer::Mode::Silent);
      const std::string address = telnet ? server_->Target() : "tcp://127.0.0.1:" + std::to_string(server_->port);
      NetTarget target;
      std::string error;
      ASSERT_TRUE(ParseNetTarget(address, target, error)) << error;
      port_ = std::make_unique<TComPort>("ComPortDriver_in", std::make_unique<NetSerialDevice>(target));
    }
    port_->SetPort("COM5");
    port_->SetBaudRate(br9600);
    port_->SetHandoff(&ui_);
    port_->Open();
    ASSERT_TRUE(port_->Connected());
  }

  // What the peer has received (for a server the whole wire), once it holds
  // `expected` or a few seconds have passed.
  std::string Arrived(const std::string& expected) {
    std::string got;
    WaitFor([&] {
      if (server_) {
        got = server_->Wire();
      } else {
        char buffer[4096];
        for (pollfd fds{pty_.master, POLLIN, 0}; poll(&fds, 1, 0) > 0;) {
          const ssize_t n = read(pty_.master, buffer, sizeof buffer);
          if (n <= 0) break;
          got.append(buffer, static_cast<std::size_t>(n));
        }
      }
      return got.find(expected) != std::string::npos;
    });
    return got;
  }

  void HangUp() { server_ ? server_.reset() : pty_.CloseMaster(); }

  PtyWithPortMap pty_;
  std::unique_ptr<ScriptedComPortServer> server_;
  QueuedUiHandoff ui_;
  std::unique_ptr<TComPort> port_;
};

int WriteError(TCustomComPort& port, const std::string& bytes) {
  try {
    port.WriteString(bytes);
  } catch (const EComPort& e) {
    EXPECT_EQ(e.ErrorCode(), ecWriteFailed);
    EXPECT_EQ(std::string(e.what()).rfind("WriteFile function failed (win error code: ", 0), 0u) << e.what();
    return e.SystemError();
  }
  return 0;
}

}  // namespace

TEST_P(ComWrite, BytesArriveAsTheyStandWithTheTelnetEscapeOnlyOnTheWire) {
  EXPECT_EQ(port_->WriteString(kRequest), static_cast<std::int32_t>(kRequest.size()));
  EXPECT_EQ(port_->Write("Q\r\n", 3), 3);
  const std::string data = kRequest + "Q\r\n";
  if (GetParam() == Transport::Rfc2217) {
    const std::string escaped = TelnetEscaped(data.data(), data.size());
    const std::string wire = Arrived(escaped);
    EXPECT_NE(wire.find(escaped), std::string::npos) << testing::PrintToString(wire);
  } else {
    EXPECT_EQ(Arrived(data), data);
  }
  EXPECT_EQ(port_->WriteString(""), 0);
}

TEST_P(ComWrite, APeerThatDoesNotReadMakesTheWriteGiveUpWithinItsTimeouts) {
  if (server_) server_->StopReading();
  port_->Timeouts().SetWriteTotalMultiplier(0);
  port_->Timeouts().SetWriteTotalConstant(200);
  // More than the kernel's queues hold between the two ends.
  const std::string flood(GetParam() == Transport::Pty ? 1 << 20 : 16 << 20, 'x');
  EXPECT_EQ(WriteError(*port_, flood), ETIMEDOUT);
  EXPECT_TRUE(port_->Connected());
}

TEST_P(ComWrite, AClosedOrHungUpPortRefusesTheWrite) {
  HangUp();
  // The hang-up reaches the device a moment later; until then the bytes may
  // still be taken by the kernel.
  int error = 0;
  EXPECT_TRUE(WaitFor([&] { return (error = WriteError(*port_, "SI\r\n")) != 0; }));
  EXPECT_TRUE(error == EIO || error == EPIPE || error == ECONNRESET) << error;

  port_->Close();
  EXPECT_EQ(WriteError(*port_, "SI\r\n"), EBADF);
  TComPort neverOpened;
  EXPECT_EQ(WriteError(neverOpened, "SI\r\n"), EBADF);
}

INSTANTIATE_TEST_SUITE_P(Devices, ComWrite, testing::Values(Transport::Pty, Transport::RawTcp, Transport::Rfc2217),
                         [](const auto& info) { return std::string(kTransportNames[int(info.param)]); });
