#include "ports/port_hint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "serial/com_errors.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// COM2 mapped by porty.ini to a by-id link of an adapter at /dev/ttyUSB0,
// owned by root:dialout, rw for the group; user jan (1000) not in it.
PortSituation Adapter() {
  PortSituation s;
  s.mapping = {"COM2", "/dev/serial/by-id/usb-FTDI_A50-if00-port0", true, "porty.ini", 0, "/dev/ttyUSB0", ""};
  s.device.path = s.mapping.path;
  s.device.target = "/dev/ttyUSB0";
  s.device.exists = true;
  s.device.characterDevice = true;
  s.device.mode = S_IFCHR | 0660;
  s.device.group = 20;
  s.device.groupName = "dialout";
  s.user.uid = 1000;
  s.user.name = "jan";
  s.user.sessionGroups = {1000};
  s.line.speed = 9600;
  return s;
}

PortProblem Open(int error) { return {ecOpenFailed, error, "Unable to open com port"}; }

}  // namespace

TEST(PortHint, EveryTextStartsWithTheMappingInEffect) {
  PortSituation s = Adapter();
  const std::string hint = FailureHint(s, Open(EACCES));
  EXPECT_EQ(hint.substr(0, hint.find('\n')),
            "COM2 → /dev/serial/by-id/usb-FTDI_A50-if00-port0 → /dev/ttyUSB0 (porty.ini)");
  s.mapping = {"COM1", "/dev/ttyS0", false, "porty.ini", 0, "", ""};
  EXPECT_EQ(ConnectedHint(s.mapping, s.line, 0),
            "COM1 → /dev/ttyS0 (domyślnie; porty.ini go nie zmienia)\nPort otwarty, 9600 bps.");
  EXPECT_THAT(ConnectedHint(s.mapping, s.line, 12),
              HasSubstr("waga nic nie przysłała od 12 s.\nSprawdź, czy waga jest włączona i podłączona "
                        "i czy ma ustawioną prędkość 9600 bps"));
}

// Only tcp:// and rfc2217:// open a network port; any other scheme is a
// device path to the serial component, and the hint must say what it did.
TEST(PortHint, OnlyTheDevicesOwnSchemesCountAsNetworkAddresses) {
  PortSituation s = Adapter();
  s.device = {};
  s.mapping = {"COM3", "telnet://scale:23", true, "porty.ini", 0, "", ""};
  EXPECT_THAT(FailureHint(s, Open(ENOENT)), HasSubstr("Urządzenie telnet://scale:23 nie istnieje"));
  s.mapping.path = "RFC2217://scale:2001";
  EXPECT_THAT(FailureHint(s, Open(ENOENT)), Not(HasSubstr("nie istnieje")));
}

TEST(PortHint, MissingDeviceTellsToPlugInOrMapWithTheLineToWrite) {
  PortSituation s = Adapter();
  s.mapping = {"COM3", "/dev/ttyS2", false, "porty.ini", 0, "", ""};
  s.device = {};
  const std::string none = FailureHint(s, Open(ENOENT));
  EXPECT_THAT(none, HasSubstr("Urządzenie /dev/ttyS2 nie istnieje (system: nie ma takiego pliku ani "
                              "urządzenia, błąd 2).\nPodłącz kabel wagi (przejściówkę USB) albo przypisz "
                              "port COM3 w pliku porty.ini w katalogu programu, wierszem:\n    COM3=/dev/ttyUSB0\n"));
  EXPECT_THAT(none, HasSubstr("Nie widać żadnego urządzenia szeregowego."));

  s.present = {{SerialDeviceKind::ById, "/dev/serial/by-id/usb-Prolific-port0", "/dev/ttyUSB1"},
               {SerialDeviceKind::Usb, "/dev/ttyUSB1", ""},
               {SerialDeviceKind::Uart, "/dev/ttyS0", ""}};
  const std::string some = FailureHint(s, Open(ENOENT));
  EXPECT_THAT(some, HasSubstr("\n    COM3=/dev/serial/by-id/usb-Prolific-port0\n"));
  EXPECT_THAT(some, HasSubstr("Obecne urządzenia szeregowe: /dev/ttyUSB1, /dev/ttyS0"));

  // The adapter named by its by-id link is not plugged in.
  PortSituation unplugged = Adapter();
  unplugged.device = {};
  EXPECT_THAT(FailureHint(unplugged, Open(ENOENT)), HasSubstr("Przejściówka o tej nazwie nie jest podłączona."));
}

TEST(PortHint, DeviceGoneAfterItWasOpenOrLineHungUp) {
  PortSituation s = Adapter();
  s.device = {};
  s.wasOpen = true;
  const std::string gone = FailureHint(s, Open(ENOENT));
  EXPECT_THAT(gone, HasSubstr("zniknęło (system: nie ma takiego pliku ani urządzenia, błąd 2): "
                              "przejściówka została wyjęta"));
  EXPECT_THAT(gone, HasSubstr("Podłącz ją ponownie"));
  EXPECT_THAT(FailureHint(Adapter(), {ecReadFailed, EIO, "ReadFile function failed"}),
              HasSubstr("zniknęło (system: błąd wejścia/wyjścia, błąd 5)"));
}

TEST(PortHint, AccessDeniedNamesGroupMembershipCommandAndNewLogin) {
  PortSituation s = Adapter();
  const std::string outside = FailureHint(s, Open(EACCES));
  EXPECT_THAT(outside, HasSubstr("Brak dostępu do /dev/ttyUSB0 (system: brak dostępu, błąd 13).\n"
                                 "Urządzenie należy do grupy dialout (prawa crw-rw----).\n"
                                 "Użytkownik jan nie należy do grupy dialout. Dodaj go poleceniem:\n"
                                 "    sudo usermod -aG dialout jan\n"
                                 "a potem wyloguj się i zaloguj ponownie"));

  PortSituation rootOwned = Adapter();
  rootOwned.device.group = 0;
  rootOwned.device.groupName = "root";
  const std::string root = FailureHint(rootOwned, Open(EACCES));
  EXPECT_THAT(root, HasSubstr("Do grupy root zwykły użytkownik nie powinien należeć."));
  EXPECT_THAT(root, Not(HasSubstr("usermod")));

  s.device.userInGroup = true;
  const std::string added = FailureHint(s, Open(EACCES));
  EXPECT_THAT(added, HasSubstr("należy już do grupy dialout, ale ta sesja jeszcze jej nie ma: "
                               "wyloguj się i zaloguj ponownie"));
  EXPECT_THAT(added, Not(HasSubstr("usermod")));

  s.device.groupInSession = true;
  s.device.mode = S_IFCHR | 0600;
  EXPECT_THAT(FailureHint(s, Open(EACCES)), HasSubstr("grupa nie ma prawa odczytu i zapisu"));
}

TEST(PortHint, BusyNamesTheProgramsThatHoldThePort) {
  PortSituation s = Adapter();
  s.device.holders = {{4321, "minicom"}, {99, "ModemManager"}};
  s.device.locks = {{"/run/lock/LCK..ttyUSB0", 4321, true, "minicom"}};
  const std::string held = FailureHint(s, Open(EBUSY));
  EXPECT_THAT(held, HasSubstr("jest zajęty przez inny program (system: urządzenie zajęte, błąd 16).\n"
                              "Trzyma go otwartym: minicom (pid 4321), ModemManager (pid 99)."));
  EXPECT_THAT(held, HasSubstr("Plik blokady /run/lock/LCK..ttyUSB0 założył minicom (pid 4321)."));
  EXPECT_THAT(held, HasSubstr("sudo systemctl stop ModemManager"));

  s.device.holders.clear();
  s.device.holdersComplete = false;
  s.device.locks = {{"/run/lock/LCK..ttyUSB0", 777, false, ""}};
  const std::string unknown = FailureHint(s, Open(EBUSY));
  EXPECT_THAT(unknown, HasSubstr("sudo fuser -v /dev/serial/by-id/usb-FTDI_A50-if00-port0"));
  EXPECT_THAT(unknown, HasSubstr("został po procesie, który już nie działa"));
}

TEST(PortHint, RefusedLineSettingsNameTheSetting) {
  PortSituation s = Adapter();
  const PortProblem refused{ecSetStateFailed, EINVAL, "SetCommState function failed"};
  s.line.speed = 14400;
  EXPECT_THAT(FailureHint(s, refused),
              HasSubstr("odrzucił ustawienia linii (system: niepoprawny argument, błąd 22).\n"
                        "Prędkości 14400 bps ta przejściówka nie potrafi ustawić."));
  s.line = {9600, 5, 'N', 1};
  EXPECT_THAT(FailureHint(s, refused), HasSubstr("nie obsługuje 5 bitów danych"));
  s.line = {9600, 8, 'M', 1};
  EXPECT_THAT(FailureHint(s, refused), HasSubstr("parzystości mark ani space"));
  s.line = {9600, 7, 'E', 2};
  EXPECT_THAT(FailureHint(s, refused),
              HasSubstr("Ustawienia: 9600 bps, 7 bitów danych, parzystość parzysta, 2 bity stopu."));

  DeviceControlBlock block;
  block.BaudRate = 256000;
  block.ByteSize = 7;
  block.Parity = 1;
  block.StopBits = 2;
  const LineFormat line = LineFormatOf(block);
  EXPECT_EQ(line.speed, 256000u);
  EXPECT_EQ(line.dataBits, 7);
  EXPECT_EQ(line.parity, 'O');
  EXPECT_EQ(line.stopBits, 2);
  EXPECT_EQ(LineFormatOf(br128000).speed, 128000u);
}

TEST(PortHint, OtherFailures) {
  PortSituation s = Adapter();
  s.mapping = {"COM2", "/dev/ttyS1", false, "porty.ini", 0, "", ""};
  EXPECT_THAT(FailureHint(s, Open(EIO)), HasSubstr("nie ma za nim portu szeregowego"));
  EXPECT_THAT(FailureHint(s, Open(ENOTTY)), HasSubstr("/dev/ttyS1 nie jest portem szeregowym"));
  EXPECT_THAT(FailureHint(s, {ecSetupFailed, EOVERFLOW, "SetupComm function failed"}),
              HasSubstr("Błąd portu: SetupComm function failed (system: "));
  EXPECT_EQ(FailureHint(s, {0, -1, "cannot open"}),
            "COM2 → /dev/ttyS1 (domyślnie; porty.ini go nie zmienia)\nBłąd portu: cannot open.");

  s.mapping = {"COM2", "", false, "/home/jan/Waga/porty.ini", EACCES, "", ""};
  EXPECT_EQ(FailureHint(s, Open(EACCES)),
            "COM2 → ?\nNie można odczytać pliku /home/jan/Waga/porty.ini (system: brak dostępu, błąd 13), "
            "więc nie wiadomo, które urządzenie otworzyć.\nPopraw prawa pliku, np. poleceniem:\n"
            "    chmod a+r /home/jan/Waga/porty.ini");
}
