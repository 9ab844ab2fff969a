// porty.ini of random bytes: the mapping never crashes and opening gives a
// plain error, never some other device.

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <random>
#include <string>

#include "serial/posix/porty_ini.h"
#include "serial/posix/posix_serial_device.h"
#include "tests/acquisition/temp_dir.h"

namespace {

std::string RandomBytes(std::mt19937& random, std::size_t size) {
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() % 256);
  return bytes;
}

TEST(PortMapInput, RandomFileGivesAnErrorWhenOpened) {
  TempDir dir;
  const std::string file = dir.File("porty.ini");
  for (unsigned seed = 1; seed <= 20; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    std::string text = RandomBytes(random, random() % 8192);
    WriteFile(file, text);
    // A name that has no default device: only the garbage could map it.
    PosixSerialDevice device(file);
    EXPECT_EQ(device.Open("WAGA"), ENOENT);
    EXPECT_FALSE(device.IsOpen());

    // A garbage path for COM2 amid garbage: that path, which opens nothing.
    std::string junk = "x" + RandomBytes(random, 40);
    for (char& c : junk) c = c == '\n' ? '?' : c;
    text += "\nCOM2=" + junk + "\n" + RandomBytes(random, 100);
    WriteFile(file, text);
    EXPECT_EQ(DevicePathForPort("COM2", text).substr(0, 1), "x");
    EXPECT_NE(device.Open("COM2"), 0);
    EXPECT_FALSE(device.IsOpen());
  }
}

TEST(PortMapInput, PathWithNulByteOpensNothing) {
  int master = -1, slave = -1;
  char name[256] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  TempDir dir;
  const std::string file = dir.File("porty.ini");
  PosixSerialDevice device(file);

  WriteFile(file, "COM5=" + std::string(name) + "\r\n");
  EXPECT_EQ(device.Open("COM5"), 0);
  device.Close();

  // Cut at the NUL the path would name the terminal above; it must not open.
  WriteFile(file, "COM5=" + std::string(name) + std::string("\0old", 4) + "\r\n");
  EXPECT_NE(device.Open("COM5"), 0);
  EXPECT_FALSE(device.IsOpen());
  close(slave);
  close(master);
}

}  // namespace
