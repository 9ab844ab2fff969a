// The component reads the simulator's lines over the network, raw and with
// COM port control: the demo without a serial cable.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "serial/com_port.h"
#include "serial/net/com_port_control.h"
#include "serial/posix/mapped_serial_device.h"
#include "serial/ui_handoff.h"
#include "tests/serial/net/ser2net_server.h"
#include "tests/support/spawned_program.h"

using namespace std::chrono_literals;
using ser2net_test::WaitFor;

namespace {

constexpr auto kLimit = 5000ms;

// waga-sim with the given options, writing porty.ini into a directory of
// its own; stopped with SIGTERM at the end.
class Simulator {
 public:
  explicit Simulator(std::vector<std::string> options) {
    char pattern[] = "/tmp/waga-sim-net-XXXXXX";
    if (mkdtemp(pattern)) dir = pattern;
    std::vector<std::string> args{WAGA_SIM_PATH, "--porty-ini", dir, "--com", "COM3", "--log", Log()};
    args.insert(args.end(), options.begin(), options.end());
    const SpawnedProgram program = Spawn(args, false);
    pid_ = program.pid;
    // The target is printed once the port listens and porty.ini is written.
    char c = 0;
    pollfd p{program.output, POLLIN, 0};
    while (poll(&p, 1, 5000) > 0 && read(program.output, &c, 1) == 1 && c != '\n') target += c;
    close(program.output);
  }
  ~Simulator() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    for (const char* name : {"/porty.ini", "/sent.bin"}) unlink((dir + name).c_str());
    rmdir(dir.c_str());
  }
  bool Running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  std::string Log() const { return dir + "/sent.bin"; }
  std::string Sent() const {
    std::ifstream file(Log(), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  }
  std::uint16_t Port() const { return static_cast<std::uint16_t>(std::stoi(target.substr(target.rfind(':') + 1))); }

  std::string dir;
  std::string target;

 private:
  pid_t pid_ = -1;
};

class SimulatorOverNetwork : public ::testing::Test {
 protected:
  void MakePort(const Simulator& sim) {
    port_ = std::make_unique<TComPort>("ComPortDriver_in", std::make_unique<MappedSerialDevice>(sim.dir + "/porty.ini"));
    port_->SetPort("COM3");
    port_->SetHandoff(&ui_);
    port_->SetBaudRate(br1200);
    port_->OnRxChar = [this](TCustomComPort& sender, std::int32_t count) {
      std::string text;
      sender.ReadString(text, count);
      received_ += text;
    };
  }
  bool ReceivedUpTo(const std::string& end) {
    return ui_.ServeUntilFor([&] { return received_.find(end) != std::string::npos; }, kLimit);
  }

  // The simulator runs its script once at full speed, served as `mode`
  // (--tcp or --rfc2217) and mapped with the line format `format`; the
  // component reads everything it sent, the first line and byte 255
  // included, once: the script waited for the client.
  void ReadTheWholeScript(const std::string& mode, const std::string& scheme, const std::string& format) {
    Simulator sim({mode, "0", "--baud", "0", "--interval", "0", "--repeat", "1", "--script",
                   "reading:3,text:a\xFF" "b,balance:2,text:END"});
    ASSERT_EQ(sim.target.rfind(scheme + "127.0.0.1:", 0), 0u) << sim.target;
    std::ofstream(sim.dir + "/porty.ini") << "COM3=" << sim.target << format << "\n";
    MakePort(sim);
    port_->Open();
    ASSERT_TRUE(ReceivedUpTo("END\r\n")) << received_;
    EXPECT_TRUE(WaitFor([&] { return sim.Sent() == received_; })) << sim.Sent();
    EXPECT_NE(received_.find("a\xFF" "b\r\n"), std::string::npos);
    // Over COM port control answered with the rate asked for, or it would be refused.
    port_->SetBaudRate(br9600);
    EXPECT_EQ(port_->BaudRate(), br9600);
  }

  bool OpenOnceFree() { return ser2net_test::OpenOnceFree(*port_); }

  QueuedUiHandoff ui_;
  std::unique_ptr<TComPort> port_;
  std::string received_;
};

// A plain client of the simulator's port.
int Connect(std::uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

TEST_F(SimulatorOverNetwork, LinesArriveOverRawTcp) { ReadTheWholeScript("--tcp", "tcp://", ""); }

// The whole line format goes to the server and is answered.
TEST_F(SimulatorOverNetwork, LinesArriveOverComPortControl) {
  ReadTheWholeScript("--rfc2217", "rfc2217://", " 7E2 rtscts");
}

// One client at a time; one that leaves does not end the simulator, and the
// next one gets what is sent from then on.
TEST_F(SimulatorOverNetwork, AClientThatLeavesMakesRoomForTheNext) {
  Simulator sim({"--rfc2217", "0", "--baud", "0", "--interval", "20", "--script", "reading:1"});
  MakePort(sim);
  port_->Open();
  ASSERT_TRUE(ReceivedUpTo("\r\n"));

  // A second client is turned away while the first is served.
  const int other = Connect(sim.Port());
  ASSERT_GE(other, 0);
  pollfd p{other, POLLIN, 0};
  char byte = 0;
  EXPECT_TRUE(poll(&p, 1, 5000) == 1 && recv(other, &byte, 1, 0) == 0) << "not turned away";
  close(other);

  port_->Close();
  received_.clear();
  ASSERT_TRUE(OpenOnceFree());
  EXPECT_TRUE(ReceivedUpTo("\r\n"));
  EXPECT_TRUE(sim.Running());
}

// A client that sends commands without reading the answers is held back by
// TCP once the simulator's answers reach their limit; the simulator goes on
// and serves the next client.
TEST_F(SimulatorOverNetwork, AClientThatNeverReadsIsHeldBack) {
  Simulator sim({"--rfc2217", "0", "--baud", "0", "--interval", "20", "--script", "reading:1"});
  const int greedy = Connect(sim.Port());
  ASSERT_GE(greedy, 0);
  std::string commands = "\xFF\xFB\x2C";  // WILL COM-PORT-OPTION
  while (commands.size() < 64 * 1024) commands += ComPortCommand(cpc::SetDataSize, 7);
  std::size_t sent = 0;
  bool heldBack = false;
  constexpr std::size_t kMuchMoreThanAnyBuffer = std::size_t{256} << 20;
  while (!heldBack && sent < kMuchMoreThanAnyBuffer) {
    pollfd p{greedy, POLLOUT, 0};
    // Not writable for a while: the simulator no longer reads.
    if (poll(&p, 1, 1000) == 0) {
      heldBack = true;
      break;
    }
    const ssize_t n = send(greedy, commands.data(), commands.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n > 0) sent += static_cast<std::size_t>(n);
  }
  EXPECT_TRUE(heldBack) << sent << " bytes taken";
  close(greedy);

  MakePort(sim);
  ASSERT_TRUE(OpenOnceFree());
  EXPECT_TRUE(ReceivedUpTo("\r\n"));
}

}  // namespace
