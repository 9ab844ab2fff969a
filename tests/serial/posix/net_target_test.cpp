#include "serial/net/net_target.h"

#include <gtest/gtest.h>

namespace {

NetTarget Parsed(const std::string& text) {
  NetTarget target;
  std::string error;
  EXPECT_TRUE(ParseNetTarget(text, target, error)) << text << ": " << error;
  return target;
}

std::string Refusal(const std::string& text) {
  NetTarget target;
  std::string error;
  EXPECT_FALSE(ParseNetTarget(text, target, error)) << text;
  EXPECT_TRUE(target.host.empty());
  return error;
}

}  // namespace

TEST(NetTarget, SchemesHostsAndPorts) {
  EXPECT_TRUE(IsNetTarget("TCP://x:1"));
  EXPECT_TRUE(IsNetTarget("rfc2217://x:1"));
  EXPECT_FALSE(IsNetTarget("/dev/ttyUSB0"));
  EXPECT_FALSE(IsNetTarget("telnet://x:1"));

  NetTarget raw = Parsed("tcp://192.168.1.20:4001");
  EXPECT_EQ(raw.protocol, NetProtocol::RawTcp);
  EXPECT_EQ(raw.host, "192.168.1.20");
  EXPECT_EQ(raw.port, 4001);
  NetTarget telnet = Parsed("RFC2217://scale-box.local:65535/");
  EXPECT_EQ(telnet.protocol, NetProtocol::Rfc2217);
  EXPECT_EQ(telnet.host, "scale-box.local");
  EXPECT_EQ(telnet.port, 65535);
  EXPECT_EQ(Parsed("tcp://[::1]:2001").host, "::1");
}

TEST(NetTarget, RefusalsSayWhatIsWrong) {
  EXPECT_NE(Refusal("tcp://host").find("brak numeru portu"), std::string::npos);
  EXPECT_NE(Refusal("tcp://:4001").find("brak nazwy hosta"), std::string::npos);
  EXPECT_NE(Refusal("tcp://host:0").find("od 1 do 65535"), std::string::npos);
  EXPECT_NE(Refusal("tcp://host:65536").find("od 1 do 65535"), std::string::npos);
  EXPECT_NE(Refusal("tcp://host:40x1").find("od 1 do 65535"), std::string::npos);
  EXPECT_NE(Refusal("tcp://ho st:1").find("niedozwolony znak"), std::string::npos);
  EXPECT_NE(Refusal("tcp://a/b:1").find("niedozwolony znak"), std::string::npos);
  EXPECT_NE(Refusal("tcp://[::1]2001").find("IPv6"), std::string::npos);
  EXPECT_NE(Refusal("tcp://[::g]:2001").find("IPv6"), std::string::npos);
  EXPECT_NE(Refusal("tcp://" + std::string(254, 'a') + ":1").find("za d\xB3uga"), std::string::npos);
}
