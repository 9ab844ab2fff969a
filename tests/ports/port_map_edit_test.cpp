#include "ports/port_map_edit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "serial/posix/port_device_path.h"
#include "tests/acquisition/temp_dir.h"

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
}
