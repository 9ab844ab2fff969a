#pragma once

// Ships whole data files once, to their ends (`waga-export --to-db`: old
// days, or days before shipping was set up), by the shipping thread's own
// code: what the database already has is not sent again.

#include <optional>
#include <string>
#include <vector>

#include "database/line_shipping.h"

struct ShipFilesSummary {
  long long shipped = 0;
  long long refused = 0;
  std::vector<std::string> notes;      // UTF-8
  std::vector<std::string> missing;    // files that were not there
  std::optional<std::string> error;    // the database failed: cause and cure, UTF-8
};

// `paths`: the files as the system names them; the column plik gets each
// one's file name. Oldest first, whatever the order given.
ShipFilesSummary ShipFilesToDatabase(const ShippingTarget& target, std::vector<std::string> paths,
                                     ProtocolId protocol);
