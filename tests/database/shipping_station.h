#pragma once

// A station for the shipping's tests: its working folder with the day's data
// file, the program's own writer and a shipper; and the check that its lines
// reached the database once each.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>

#include "acquisition/data_file.h"
#include "database/shipper.h"
#include "tests/support/postgres/temp_postgres.h"
#include "tests/support/temp_dir.h"

constexpr std::chrono::seconds kLimit{60};
const std::string kFile = "20261207";

struct Station {
  TempDir folder;
  std::string name;
  std::unique_ptr<Shipper> shipper;

  explicit Station(std::string station) : name(std::move(station)) {
    EXPECT_TRUE(CreateDataFileIfMissing(folder.File(kFile)));
  }
  void Write(const std::string& line) const { ASSERT_TRUE(AppendDataFileLine(folder.File(kFile), line)); }
  void Start(const std::string& connection, std::size_t batchLines = 5000) {
    ShipperOptions options;
    options.target = {connection, name};
    options.folder = folder.path.string();
    options.currentFile = kFile;
    options.batchLines = batchLines;
    shipper = std::make_unique<Shipper>(options);
  }
  bool WaitState(ShipperStatus::State state) const {
    return WaitUntil([&] { return shipper->Status().state == state; }, kLimit);
  }
  // Exactly once: as many rows as lines, every position once.
  void ExpectEachLineOnce(const std::string& connection, long long lines) const {
    const std::string where = " FROM linie WHERE stanowisko = '" + name + "'";
    EXPECT_TRUE(WaitUntil([&] { return PgQuery(connection, "SELECT count(*)" + where) == std::to_string(lines); },
                          kLimit))
        << PgQuery(connection, "SELECT count(*)" + where);
    EXPECT_EQ(PgQuery(connection, "SELECT count(DISTINCT pozycja)" + where), std::to_string(lines));
  }
};
