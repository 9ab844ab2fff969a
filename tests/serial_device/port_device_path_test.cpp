#include "serial/posix/port_device_path.h"

#include <gtest/gtest.h>

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
