// The status panel's tooltip on Windows: the COM name is the system's own,
// and the hint follows GetLastError()'s number.
#include <gtest/gtest.h>

#include "ports/port_hint.h"
#include "serial/com_errors.h"

namespace {

std::string Hint(std::int32_t code, std::int32_t systemError, bool wasOpen = false) {
  PortSituation s = ObservePort("COM3", std::string(), LineSettingsOf(br9600), SystemRoots{},
                                CurrentUser(), false);
  s.wasOpen = wasOpen;
  return FailureHint(s, {code, systemError, "Unable to open com port"});
}

TEST(WindowsPortHint, NamesTheDeviceAndFollowsTheSystemsNumber) {
  EXPECT_EQ(MappingLine(MappingInEffect("COM3", std::string())), "COM3 → \\\\.\\COM3");
  EXPECT_EQ(Hint(ecOpenFailed, 2).rfind("COM3 → \\\\.\\COM3\nPort COM3 nie istnieje w tym komputerze "
                                        "(system: nie ma takiego urządzenia, błąd 2).\n", 0), 0u)
      << Hint(ecOpenFailed, 2);
  // Serial drivers refuse a second open with "access denied".
  EXPECT_NE(Hint(ecOpenFailed, 5).find("Port COM3 jest zajęty przez inny program (system: odmowa "
                                       "dostępu, błąd 5)"), std::string::npos);
  EXPECT_NE(Hint(ecOpenFailed, 32).find("jest zajęty"), std::string::npos);
  // The adapter pulled out while the port was in use.
  EXPECT_NE(Hint(ecOpenFailed, 2, true).find("Port COM3 zniknął"), std::string::npos);
  EXPECT_NE(Hint(ecReadFailed, 1167).find("zniknął (system: urządzenie nie jest podłączone, błąd 1167)"),
            std::string::npos);
  EXPECT_NE(Hint(ecSetStateFailed, 87).find("odrzucił ustawienia linii (system: niepoprawny parametr, błąd 87)"),
            std::string::npos);
  EXPECT_EQ(Hint(ecSetupFailed, 1234),
            "COM3 → \\\\.\\COM3\nBłąd portu: Unable to open com port (system: błąd systemu, błąd 1234).");
}

}  // namespace
