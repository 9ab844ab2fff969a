#include <unistd.h>

#include "database/baza_ini.h"

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == 0) return "stanowisko";
  return name;
}
