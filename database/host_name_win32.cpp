#include <windows.h>

#include "database/baza_ini.h"
#include "text/win1250.h"

std::string HostName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size) || size == 0) return "stanowisko";
  return Cp1250ToUtf8(std::string(name, size));
}
