#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "serial/net/com_port_control.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/waga-sim/sim_peer.h"
#include "tools/waga-sim/com_port_server.h"
#include "tools/waga-sim/porty_ini.h"
#include "tools/waga-sim/scale_output.h"

namespace {

TEST(WagaSim, ReadingAndBalanceFormats) {
  EXPECT_EQ(ReadingLine(1250), "  12.50");
  EXPECT_EQ(ReadingLine(5), "   0.05");
  EXPECT_EQ(BalanceReport({4523, 1000, 99999}),
            (std::vector<std::string>{"", "  BILANS WAZEN", "  l.wazen    masa    suma",
                                      "001     45.23 kg     45.23 kg",
                                      "002     10.00 kg     55.23 kg",
                                      "003    999.99 kg   1055.22 kg"}));
}

// The simulator maps its port through porty.ini's own writer: the line of
// its port keeps the line format the user gave it.
TEST(WagaSim, PortyIniKeepsTheLineFormatOfItsPort) {
  TempDir dir;
  WriteFile(dir.File("porty.ini"), "COM1=/dev/ttyUSB0\n com2 =/dev/old 7E1\n");
  std::string error;
  ASSERT_TRUE(WritePortyIni(dir.path.string(), "COM2", "/dev/pts/7", error)) << error;
  EXPECT_EQ(ReadFile(dir.File("porty.ini")), "COM1=/dev/ttyUSB0\r\nCOM2=/dev/pts/7 7E1\r\n");
  EXPECT_FALSE(WritePortyIni(dir.File("missing"), "COM2", "/dev/pts/7", error));
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

// The server side of COM port control: nothing is answered before the
// option is agreed; then every command gets the server's code and the value
// now in force, a 0 asking for the present one.
TEST(WagaSim, ComPortServerAnswersEveryCommandWithTheServersCode) {
  ComPortServer server;
  server.Feed(ComPortCommand(cpc::SetDataSize, 7).data(), 7);
  EXPECT_EQ(server.TakeReplies(), "");

  const std::string offer = Bytes({255, 251, 44, 255, 253, 0, 255, 253, 5});
  server.Feed(offer.data(), offer.size());
  EXPECT_EQ(server.TakeReplies(), Bytes({255, 253, 44, 255, 251, 0, 255, 252, 5}));
  EXPECT_TRUE(server.ComPortEnabled());

  const std::uint8_t rate[4] = {0, 0, 0x25, 0x80};
  std::string commands = ComPortCommand(cpc::SetBaudRate, rate, 4) + ComPortCommand(cpc::SetDataSize, 7) +
                         ComPortCommand(cpc::SetDataSize, 0) + ComPortCommand(cpc::SetParity, 3) +
                         ComPortCommand(cpc::SetControl, cpc::FlowHardware) + ComPortCommand(cpc::SetControl, 0) +
                         ComPortCommand(cpc::PurgeData, cpc::PurgeBoth);
  server.Feed(commands.data(), commands.size());
  EXPECT_EQ(server.TakeReplies(), ComPortCommand(101, rate, 4) + ComPortCommand(102, 7) + ComPortCommand(102, 7) +
                                      ComPortCommand(103, 3) + ComPortCommand(105, 3) + ComPortCommand(105, 3) +
                                      ComPortCommand(112, 3));
  EXPECT_EQ(server.Rate(), 9600u);
  EXPECT_EQ(server.Purges(), 1);

  // Modem state is told once asked for, masked, with 255 doubled.
  server.NotifyModemState(0x30);
  EXPECT_EQ(server.TakeReplies(), "");
  commands = ComPortCommand(cpc::SetModemStateMask, 0xFF);
  server.Feed(commands.data(), commands.size());
  EXPECT_EQ(server.TakeReplies(), ComPortCommand(111, 0xFF) + ComPortCommand(107, 0x30));
  EXPECT_EQ(ComPortServer::Encode(Bytes({'a', 255, 'b'})), Bytes({'a', 255, 255, 'b'}));
}

// Runs the simulator, reads its terminal until END, stops it with SIGTERM.
TEST(WagaSim, SendsWhatItLogsAndStopsOnSigterm) {
  TempDir dir;
  const std::string log = dir.File("sent.bin");
  SimPeer scale({"--baud", "0", "--interval", "0", "--repeat", "1", "--seed", "5", "--log", log, "--script",
                 "reading:2,balance:2,eol:cr,text:x y,eol:lf,garbage:3,text:END"});
  std::string received;
  for (std::string line = "-"; !line.empty() && received.find("END\n") == std::string::npos;)
    received += line = scale.Lines(1);
  const int status = scale.Stop();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

  EXPECT_EQ(received, ReadFile(log));
  EXPECT_EQ(received.find("\r\n\r\n  BILANS WAZEN\r\n  l.wazen    masa    suma\r\n001 "), 16u)
      << received;
  EXPECT_NE(received.find(" kg\r\nx y\r"), std::string::npos);
  EXPECT_EQ(received.rfind("\nEND\n"), received.size() - 5);
  EXPECT_EQ(received[received.size() - 9], '\r');
}

}  // namespace
