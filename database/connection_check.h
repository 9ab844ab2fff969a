#pragma once

// "Sprawdź połączenie": connects as the shipping would and says, in Polish
// (UTF-8), what it found: the server, whether the tables are there or may
// be created. Changes nothing in the database. Blocks up to a few seconds:
// not for the window's thread.

#include <string>

#include "database/line_shipping.h"

struct ConnectionCheck {
  bool ok = false;
  DatabaseFault fault = DatabaseFault::None;
  std::string text;
};

ConnectionCheck CheckConnection(const ShippingTarget& target);
