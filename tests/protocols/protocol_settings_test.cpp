#include "protocols/protocol_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

TEST(RequestText, EscapesRoundTripAndBadOnesAreRefused) {
  const std::pair<const char*, std::string> cases[] = {
      {"SI\\r\\n", "SI\r\n"}, {"\\x1bP", "\x1bP"}, {"\\x1BT\\t", "\x1bT\t"}, {"a\\\\b", "a\\b"},
      {"", ""}, {"\\x00", std::string(1, '\0')}, {"\\xFF", "\xff"}};
  for (const auto& [written, bytes] : cases) {
    EXPECT_EQ(DecodeRequestText(written), bytes) << written;
    EXPECT_EQ(DecodeRequestText(EncodeRequestText(bytes)), bytes) << written;
  }
  EXPECT_EQ(EncodeRequestText("SI\r\n"), "SI\\r\\n");
  EXPECT_EQ(EncodeRequestText(" P "), "\\x20P\\x20");  // the file would lose the edge blanks
  for (const char* bad : {"\\", "SI\\", "\\q", "\\x", "\\x1", "\\xG0", "\\x1g", "\\R"})
    EXPECT_FALSE(DecodeRequestText(bad).has_value()) << bad;
}

struct ProtocolFile : ::testing::Test {
  TempDir dir;
  std::string path = dir.File(kProtocolFileName);
};

TEST_F(ProtocolFile, MissingFileSectionOrKeyMeanTheDefaults) {
  EXPECT_EQ(LoadPortProtocol(path, "COM2"), PortProtocolSettings{});
  WriteFile(path, "[COM1]\r\nProtokol=si\r\n[COM2]\r\nProtokol=st\r\nCo_ile_ms=20\r\n");
  // The protocol's own request, never faster than 50 ms.
  EXPECT_EQ(LoadPortProtocol(path, "com2"), (PortProtocolSettings{ProtocolId::St, "Q\r\n", 50, 0}));
  EXPECT_EQ(LoadPortProtocol(path, "COM3").protocol, ProtocolId::Liczba);
  WriteFile(path, "[COM2]\nProtokol=SI\nZapytanie=\\q\nCo_ile_ms=-5\nAutomatycznie_od=1,5\n");
  // Ids are lower case; a broken request asks nothing.
  EXPECT_EQ(LoadPortProtocol(path, "COM2"), (PortProtocolSettings{ProtocolId::Liczba, "", 0, 1.5}));
}

TEST_F(ProtocolFile, SaveKeepsOtherSectionsKeysAndOrder) {
  WriteFile(path, "; Waga\n[COM1]\nProtokol=si\n\n[COM2]\nInny=1\nProtokol=liczba\n\n[Reszta]\nX=y\n");
  PortProtocolSettings settings{ProtocolId::EscP, "\x1bP", 200, 2.5};
  std::string reason;
  ASSERT_TRUE(SavePortProtocol(path, "COM2", settings, reason)) << reason;
  EXPECT_EQ(ReadFile(path),
            "; Waga\n[COM1]\nProtokol=si\n\n[COM2]\nInny=1\nProtokol=esc_p\nZapytanie=\\x1BP\n"
            "Co_ile_ms=200\nAutomatycznie_od=2,5\n\n[Reszta]\nX=y\n");
  EXPECT_EQ(LoadPortProtocol(path, "COM2"), settings);

  settings.request.clear();  // written empty, read empty: no request at all
  ASSERT_TRUE(SavePortProtocol(path, "COM5", settings, reason));
  EXPECT_EQ(LoadPortProtocol(path, "COM5").request, "");
  EXPECT_EQ(LoadPortProtocol(path, "COM1").protocol, ProtocolId::Si);
}

TEST_F(ProtocolFile, AFailedSaveSaysWhyAndChangesNothing) {
  WriteFile(path, "[COM2]\nProtokol=si\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  std::string reason;
  EXPECT_FALSE(SavePortProtocol(path, "COM2", PortProtocolSettings{}, reason));
  EXPECT_NE(reason.find("protokol.ini"), std::string::npos);
  EXPECT_EQ(ReadFile(path), "[COM2]\nProtokol=si\n");
  EXPECT_FALSE(SavePortProtocol(dir.File("brak/protokol.ini"), "COM2", PortProtocolSettings{}, reason));
  EXPECT_FALSE(std::filesystem::exists(dir.File("brak")));
}

}  // namespace
