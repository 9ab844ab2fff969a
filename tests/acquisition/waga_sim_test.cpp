#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/acquisition/temp_dir.h"
#include "tools/waga-sim/porty_ini.h"
#include "tools/waga-sim/scale_output.h"
#include "tools/waga-sim/sim_options.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(WagaSimOutput, ReadingsAndBalanceReport) {
  EXPECT_EQ(ReadingLine(1250), "  12.50");
  EXPECT_EQ(ReadingLine(5), "   0.05");
  EXPECT_EQ(ReadingLine(123456), "1234.56");
  EXPECT_EQ(BalanceReport({4523, 1000, 99999}),
            (std::vector<std::string>{"", "  BILANS WAZEN", "  l.wazen    masa    suma",
                                      "001     45.23 kg     45.23 kg",
                                      "002     10.00 kg     55.23 kg",
                                      "003    999.99 kg   1055.22 kg"}));
  ScaleValues values(1);
  const std::string garbage = values.Garbage(2000);
  EXPECT_EQ(garbage.size(), 2000u);
  EXPECT_EQ(garbage.find_first_of("\r\n"), std::string::npos);
}

TEST(WagaSimOptions, ScriptsThatCannotRunAreRefused) {
  std::string error;
  EXPECT_FALSE(ParseScript("eol:cr", error));
  EXPECT_FALSE(ParseScript("silence", error));
  EXPECT_FALSE(ParseScript("reading:x", error));
  EXPECT_FALSE(ParseScript("jump:3", error));
  auto steps = ParseScript("reading:2,eol:lfcr,text:a b", error);
  ASSERT_TRUE(steps);
  EXPECT_EQ((*steps)[1].text, "\n\r");
  EXPECT_EQ((*steps)[2].text, "a b");
}

TEST(WagaSimPortyIni, ReplacesOnlyTheLineOfItsPort) {
  TempDir dir;
  WriteFile(dir.File("porty.ini"), "COM1=/dev/ttyUSB0\r\n com2 =/dev/old\nCOM21=/dev/x\n");
  std::string error;
  ASSERT_TRUE(WritePortyIni(dir.path.string(), "COM2", "/dev/pts/7", error)) << error;
  EXPECT_EQ(ReadFile(dir.File("porty.ini")), "COM1=/dev/ttyUSB0\nCOM2=/dev/pts/7\nCOM21=/dev/x\n");
  ASSERT_TRUE(WritePortyIni(dir.path.string(), "COM3", "/dev/pts/8", error));
  EXPECT_EQ(ReadFile(dir.File("porty.ini")),
            "COM1=/dev/ttyUSB0\nCOM2=/dev/pts/7\nCOM21=/dev/x\nCOM3=/dev/pts/8\n");
}

// The simulator as a child process, its first output line read back.
struct SimProcess {
  pid_t pid = -1;
  int out = -1;
  std::string path;

  explicit SimProcess(std::vector<std::string> args) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    args.insert(args.begin(), WAGA_SIM_PATH);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid = fork();
    if (pid == 0) {
      dup2(pipeFds[1], STDOUT_FILENO);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(pipeFds[1]);
    out = pipeFds[0];
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    char c;
    pollfd p{out, POLLIN, 0};
    while (Clock::now() < deadline && poll(&p, 1, 100) >= 0) {
      if (!(p.revents & (POLLIN | POLLHUP))) continue;
      if (read(out, &c, 1) != 1 || c == '\n') break;
      path.push_back(c);
    }
  }
  ~SimProcess() {
    if (pid > 0 && Wait(std::chrono::milliseconds(0)) < 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (out >= 0) close(out);
  }
  // The exit status once the process has ended within `limit`, else -1.
  int Wait(Clock::duration limit) {
    const auto deadline = Clock::now() + limit;
    do {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      poll(nullptr, 0, 10);
    } while (Clock::now() < deadline);
    return -1;
  }
};

// Reads the slave until `done` holds or 10 s have passed.
template <typename Done>
std::string ReadSlave(int fd, Done done) {
  std::string bytes;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!done(bytes) && Clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    char buffer[1024];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

TEST(WagaSimProcess, SendsWhatItLogsAndEndsWhenRead) {
  TempDir dir;
  const std::string log = dir.File("sent.bin");
  SimProcess sim({"--baud", "0", "--interval", "0", "--repeat", "2", "--exit", "--seed", "5",
                  "--log", log, "--script", "reading:2,balance:2,eol:cr,text:x y,eol:lf,garbage:3"});
  ASSERT_EQ(sim.path.rfind("/dev/pts/", 0), 0u) << sim.path;
  const int slave = open(sim.path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(slave, 0);
  auto ended = [&](const std::string&) {
    return sim.pid < 0 || sim.Wait(std::chrono::milliseconds(0)) >= 0;
  };
  std::string received = ReadSlave(slave, ended);
  received += ReadSlave(slave, [](const std::string&) { return false; });
  close(slave);

  const std::string sent = ReadFile(log);
  EXPECT_EQ(received, sent);
  const std::string round = sent.substr(0, sent.size() / 2);
  EXPECT_EQ(round.find("\r\n\r\n  BILANS WAZEN\r\n  l.wazen    masa    suma\r\n001 "), 16u) << round;
  EXPECT_NE(round.find(" kg\r\nx y\r"), std::string::npos);
  EXPECT_EQ(round.back(), '\n');
  EXPECT_EQ(round[round.size() - 5], '\r');
}

TEST(WagaSimProcess, StopsCleanlyOnSigterm) {
  SimProcess sim({"--baud", "1200", "--interval", "100"});
  ASSERT_FALSE(sim.path.empty());
  const int slave = open(sim.path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(slave, 0);
  const std::string first =
      ReadSlave(slave, [](const std::string& b) { return b.find('\n') != std::string::npos; });
  EXPECT_EQ(first.find('\n'), 8u) << first;  // "  12.50" CR LF
  EXPECT_EQ(first.substr(7, 1), "\r");
  kill(sim.pid, SIGTERM);
  EXPECT_EQ(sim.Wait(std::chrono::seconds(10)), 0);
  close(slave);
}

}  // namespace
