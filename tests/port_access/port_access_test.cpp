#include <grp.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/acquisition/temp_dir.h"

namespace {

std::string Output(const std::string& command) {
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char chunk[4096];
    while (std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) output.append(chunk, n);
    ::pclose(pipe);
  }
  return output;
}

}  // namespace

// The window of an ordinary user who may not open the mapped device says
// which device it is, which group owns it, and how to join that group.
TEST(PortAccess, TooltipOfAUserWhoMayNotOpenTheDevice) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to start the program as user nobody";
  const passwd* nobody = ::getpwnam("nobody");
  if (!nobody || ::access("/usr/sbin/runuser", X_OK) != 0) GTEST_SKIP() << "no user nobody or no runuser";

  int master = -1, slave = -1;
  char name[256] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  const std::string device = name;
  // Owned by root:dialout like a USB adapter, no access for others: the case
  // of a user outside dialout.
  const group* dialout = ::getgrnam("dialout");
  if (!dialout) dialout = ::getgrnam("tty");
  ASSERT_NE(dialout, nullptr);
  const std::string groupName = dialout->gr_name;
  ASSERT_EQ(::chown(device.c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(::chmod(device.c_str(), 0660), 0);

  // The build folder may sit in a folder only its owner may enter (a clone
  // in a 0700 home): the other user runs a copy from the temporary folder.
  TempDir programs;
  namespace fs = std::filesystem;
  fs::permissions(programs.path, fs::perms(0755));
  const std::string probe = programs.File("tooltip_probe");
  fs::copy_file(TOOLTIP_PROBE_PATH, probe);
  fs::permissions(probe, fs::perms(0755));
  if (std::system(("runuser -u nobody -- test -x " + probe).c_str()) != 0)
    GTEST_SKIP() << "user nobody cannot reach the temporary folder " << programs.path;

  TempDir work;
  ASSERT_EQ(::chown(work.path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  WriteFile(work.File("porty.ini"), "COM2=" + device + "\r\n");
  ::chmod(work.File("porty.ini").c_str(), 0644);

  const std::string output = Output("cd / && runuser -u nobody -- env QT_QPA_PLATFORM=offscreen " + probe +
                                    " " + work.path.string() + " 2>&1");
  ::close(slave);
  ::close(master);
  EXPECT_NE(output.find("brak połączenia! (port COM2, 1200bps)\nCOM2 → " + device + " (porty.ini)\n"),
            std::string::npos) << output;
  EXPECT_NE(output.find("Brak dostępu do " + device), std::string::npos) << output;
  EXPECT_NE(output.find("Urządzenie należy do grupy " + groupName + " (prawa crw-rw----)"), std::string::npos)
      << output;
  EXPECT_NE(output.find("sudo usermod -aG " + groupName + " nobody"), std::string::npos) << output;
}
