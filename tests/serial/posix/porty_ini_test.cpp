#include "serial/posix/porty_ini.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_dir.h"

TEST(PortDevicePath, UnmappedComPortsAreTheSerialPortsFromZero) {
  EXPECT_EQ(DevicePathForPort("COM1", ""), "/dev/ttyS0");
  EXPECT_EQ(DevicePathForPort("com16", "COM2=/dev/ttyUSB0\n"), "/dev/ttyS15");
  for (const char* other : {"COM0", "COM17", "COM03", "COM$A", "COM 3", "COM", "COMX", "LPT1"}) {
    EXPECT_EQ(DevicePathForPort(other, ""), "") << other;
  }
}

TEST(PortDevicePath, MappingLinesWithEitherLineEndAndBlanksAroundThePath) {
  const std::string map =
      "\xEF\xBB\xBF[porty]\r\n"
      "COM12=/dev/ttyACM0\r\n"
      " COM1 =  /dev/ttyUSB0 \r\n"
      "COM2=\t/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0\n"
      "COM3=/dev/ttyUSB2";
  EXPECT_EQ(DevicePathForPort("COM1", map), "/dev/ttyUSB0");
  EXPECT_EQ(DevicePathForPort("COM12", map), "/dev/ttyACM0");
  EXPECT_EQ(DevicePathForPort("COM2", map), "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
  EXPECT_EQ(DevicePathForPort("COM3", map), "/dev/ttyUSB2");
  EXPECT_EQ(DevicePathForPort("COM4", map), "/dev/ttyS3");
}

TEST(PortDevicePath, UnknownAndEmptyLinesAreIgnoredAndTheFirstMappingCounts) {
  const std::string map = "COM4=\nCOM4\nnoise\n=/dev/x\nCOM4=/dev/ttyUSB3\nCOM4=/dev/ttyUSB9\n";
  EXPECT_EQ(DevicePathForPort("COM4", map), "/dev/ttyUSB3");
}

TEST(PortDevicePath, AMissingMapFileIsNoMapping) {
  std::string text = "stale";
  EXPECT_EQ(ReadPortMapFile("/nonexistent/porty.ini", text), 0);
  EXPECT_TRUE(text.empty());
  EXPECT_NE(ReadPortMapFile("/", text), 0);  // a directory is a real failure
}

TEST(PortMapEdit, ReplacesTheLineThatCountsAndKeepsTheRest) {
  const std::string before =
      "; Waga\n[porty]\ncom3 = /dev/ttyUSB1\nCOM2=/dev/ttyS1 7E1\r\nCOM2=/dev/ttyUSB9\nCOM2=\n";
  const std::string after = PortMapTextWith(before, "COM2", "/dev/serial/by-id/usb-X");
  EXPECT_EQ(after,
            "; Waga\r\n[porty]\r\ncom3 = /dev/ttyUSB1\r\nCOM2=/dev/serial/by-id/usb-X 7E1\r\n"
            "COM2=/dev/ttyUSB9\r\nCOM2=\r\n");
  // An empty path does not count for the parser: the first real line did.
  EXPECT_EQ(PortMapTextWith("COM4=\nCOM4 = /dev/a\n", "COM4", "/dev/b"), "COM4=\r\nCOM4=/dev/b\r\n");
}

TEST(PortMapEdit, SetsTheFormatOfTheLineThatCountsAndKeepsTheRest) {
  const std::string before = "; Waga\ncom3 = /dev/ttyUSB1 8N1\nCOM2 = rfc2217://h:7 8N1 rtscts\r\nCOM2=/dev/x\n";
  EXPECT_EQ(PortMapTextWithFormat(before, "COM2", "7E1"),
            "; Waga\r\ncom3 = /dev/ttyUSB1 8N1\r\nCOM2=rfc2217://h:7 7E1\r\nCOM2=/dev/x\r\n");
  // Without a line the port's default device gets one.
  EXPECT_EQ(PortMapTextWithFormat("COM1=/dev/a\n", "COM4", "8O1"), "COM1=/dev/a\r\nCOM4=/dev/ttyS3 8O1\r\n");
}

TEST(PortMapEdit, AppendsAMissingPortAndKeepsTheMark) {
  EXPECT_EQ(PortMapTextWith("", "COM1", "/dev/ttyACM0"), "COM1=/dev/ttyACM0\r\n");
  EXPECT_EQ(PortMapTextWith("\xEF\xBB\xBF" "COM3=/dev/x", "COM2", "/dev/y"),
            "\xEF\xBB\xBF" "COM3=/dev/x\r\nCOM2=/dev/y\r\n");
  const std::string text = PortMapTextWith("COM12=/dev/x\n", "COM1", "/dev/y");
  EXPECT_EQ(DevicePathForPort("COM1", text), "/dev/y");
  EXPECT_EQ(DevicePathForPort("COM12", text), "/dev/x");
}

TEST(PortMapEdit, WritesTheFileInPlaceOfTheOld) {
  TempDir dir;
  const std::string file = dir.File("porty.ini");
  EXPECT_EQ(WritePortMapLine(file, "COM2", "/dev/ttyUSB0"), 0);
  EXPECT_EQ(ReadFile(file), "COM2=/dev/ttyUSB0\r\n");
  ::chmod(file.c_str(), 0600);
  EXPECT_EQ(WritePortMapLine(file, "COM2", "/dev/ttyUSB1"), 0);
  EXPECT_EQ(ReadFile(file), "COM2=/dev/ttyUSB1\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_NE(WritePortMapLine(dir.File("missing/porty.ini"), "COM2", "/dev/x"), 0);

  // A porty.ini shared through a link stays shared: its target is rewritten.
  std::filesystem::remove(file);
  WriteFile(dir.File("shared.ini"), "COM1=/dev/ttyS0\n");
  std::filesystem::create_symlink("shared.ini", file);
  EXPECT_EQ(WritePortMapLine(file, "COM2", "/dev/ttyUSB2"), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_EQ(ReadFile(dir.File("shared.ini")), "COM1=/dev/ttyS0\r\nCOM2=/dev/ttyUSB2\r\n");
}
