#include "serial/line_format.h"

#include <gtest/gtest.h>

#include "serial/posix/porty_ini.h"

namespace {

PortLineFormat Parsed(const std::string& text) {
  PortLineFormat format;
  std::string error;
  EXPECT_TRUE(ParseLineFormat(text, format, error)) << text << ": " << error;
  return format;
}

std::string Refusal(const std::string& text) {
  PortLineFormat format = Parsed("7E1");
  const PortLineFormat before = format;
  std::string error;
  EXPECT_FALSE(ParseLineFormat(text, format, error)) << text;
  EXPECT_EQ(format, before) << "a refusal leaves the format as it was";
  return error;
}

}  // namespace

TEST(PortLineFormat, ShortFormsAndFlowWordsInAnyOrderAndCase) {
  EXPECT_FALSE(Parsed("").given);
  EXPECT_FALSE(Parsed(" \t\r").given);
  EXPECT_EQ(Parsed("7E1"), (PortLineFormat{7, 2, 0, LineFlow::None, true}));
  EXPECT_EQ(Parsed("8n2 RTSCTS"), (PortLineFormat{8, 0, 2, LineFlow::RtsCts, true}));
  EXPECT_EQ(Parsed("xonxoff\t7o1"), (PortLineFormat{7, 1, 0, LineFlow::XonXoff, true}));
  EXPECT_EQ(Parsed("5M1.5"), (PortLineFormat{5, 3, 1, LineFlow::None, true}));
  EXPECT_EQ(Parsed("6S1,5 none"), (PortLineFormat{6, 4, 1, LineFlow::None, true}));
  EXPECT_EQ(Parsed("rtscts"), (PortLineFormat{8, 0, 0, LineFlow::RtsCts, true}));
}

TEST(PortLineFormat, RefusalsNameTheWordAndWhatIsAllowed) {
  // The sentences are Windows-1250: "bitów" and "odstęp" hold 0xF3 and 0xEA.
  EXPECT_NE(Refusal("9N1").find("bit\xF3w danych"), std::string::npos);
  EXPECT_NE(Refusal("4N1").find("od 5 do 8"), std::string::npos);
  EXPECT_NE(Refusal("7X1").find("\x84" "7X1\x94"), std::string::npos);
  EXPECT_NE(Refusal("7X1").find("odst\xEAp"), std::string::npos);
  EXPECT_NE(Refusal("8N3").find("bity stopu"), std::string::npos);
  EXPECT_NE(Refusal("8N").find("nieznane"), std::string::npos);
  EXPECT_NE(Refusal("8N1 7E1").find("drugi raz"), std::string::npos);
  EXPECT_NE(Refusal("rtscts xonxoff").find("drugi raz"), std::string::npos);
  EXPECT_NE(Refusal("8N1 hardware").find("\x84hardware\x94"), std::string::npos);
  EXPECT_NE(Refusal("8N1 hardware").find("przyk\xB3" "ady: 8N1, 7E1"), std::string::npos);
}

TEST(PortLineFormat, AppliedFormatReplacesTheFrameAndTheFlowControlOnly) {
  DeviceControlBlock component;
  component.BaudRate = 9600;
  component.ByteSize = 8;
  component.Flags = dcb::fBinary | dcb::fDtrControlEnable | dcb::fRtsControlHandshake | dcb::fOutX;
  component.XonChar = 17;
  component.XoffChar = 19;

  DeviceControlBlock block = component;
  ApplyLineFormat(Parsed(""), block);
  EXPECT_EQ(block.Flags, component.Flags) << "no format: the component's settings stand";

  block = component;
  ApplyLineFormat(Parsed("7E2"), block);
  EXPECT_EQ(block.BaudRate, 9600u);
  EXPECT_EQ(block.ByteSize, 7);
  EXPECT_EQ(block.Parity, 2);
  EXPECT_EQ(block.StopBits, 2);
  EXPECT_EQ(block.Flags, dcb::fBinary | dcb::fDtrControlEnable | dcb::fRtsControlEnable);

  block = component;
  ApplyLineFormat(Parsed("8N1 rtscts"), block);
  EXPECT_EQ(block.Flags & (dcb::fOutxCtsFlow | dcb::fRtsControlMask | dcb::fOutX | dcb::fInX),
            dcb::fOutxCtsFlow | dcb::fRtsControlHandshake);

  block = DeviceControlBlock{};
  ApplyLineFormat(Parsed("xonxoff"), block);
  EXPECT_EQ(block.Flags & (dcb::fOutX | dcb::fInX), dcb::fOutX | dcb::fInX);
  EXPECT_EQ(block.XonChar, 17);
  EXPECT_EQ(block.XoffChar, 19);
}

TEST(PortMapEntry, TheFirstWordIsTheTargetAndTheRestTheFormat) {
  const std::string map =
      "COM2=/dev/ttyUSB0 7E1\r\n"
      "COM3 = rfc2217://10.0.0.5:2001\t8N1  rtscts \r\n"
      "COM4=tcp://scale-1:4001\n";
  EXPECT_EQ(MappingForPort("COM2", map).target, "/dev/ttyUSB0");
  EXPECT_EQ(MappingForPort("COM2", map).format, "7E1");
  EXPECT_EQ(MappingForPort("com3", map).target, "rfc2217://10.0.0.5:2001");
  EXPECT_EQ(MappingForPort("com3", map).format, "8N1  rtscts");
  EXPECT_EQ(MappingForPort("COM4", map).target, "tcp://scale-1:4001");
  EXPECT_EQ(MappingForPort("COM4", map).format, "");
  EXPECT_EQ(MappingForPort("COM5", map).target, "/dev/ttyS4");
  EXPECT_EQ(MappingForPort("COM5", map).format, "");
  EXPECT_EQ(DevicePathForPort("COM2", map), "/dev/ttyUSB0");
}
