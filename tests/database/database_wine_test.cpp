// The shipping as the Windows program does it, under Wine, against a
// PostgreSQL on the Linux side over TCP: the lane's script starts it and names
// it in WAGA_WINE_POSTGRES (a superuser's connection string); without it, skip.

#include <gtest/gtest.h>

#include <cstdlib>

#include "database/status_text.h"
#include "tests/database/shipping_station.h"
#include "text/win1250.h"

namespace {

TEST(WineShipping, LinesGoOnceThroughARestartAndAMissingDatabaseShowsItsCause) {
  const char* server = std::getenv("WAGA_WINE_POSTGRES");
  if (server == nullptr || *server == 0) GTEST_SKIP() << "WAGA_WINE_POSTGRES names no server";
  const std::string connection = std::string(server) + " dbname=wine";
  PgQuery(server, "DROP DATABASE IF EXISTS wine");
  ASSERT_EQ(PgQuery(server, "CREATE DATABASE wine"), "");
  Station station("okno-1");
  station.Start(std::string(server) + " dbname=nie_ma_takiej");
  EXPECT_TRUE(WaitUntil([&] { return station.shipper->Status().fault == DatabaseFault::DatabaseMissing; }, kLimit))
      << station.shipper->Status().message;
  EXPECT_EQ(DatabasePanelText(station.shipper->Status()), "baza: brak połączenia");

  const std::string polish = Utf8ToCp1250("BILANS WAŻEŃ źdźbło");
  station.Write("  12.50");
  station.Write(polish);
  station.Start(connection);
  station.Write("001     20.37 kg     20.37 kg    2026/12/07  09:14");
  station.ExpectEachLineOnce(connection, 3);
  EXPECT_TRUE(WaitUntil([&] { return station.shipper->Status().pending == 0; }, kLimit));
  EXPECT_EQ(DatabasePanelText(station.shipper->Status()), "baza: na bieżąco");
  // Closed, lines written meanwhile, started again: it goes on where the database says.
  station.shipper.reset();
  for (int i = 0; i < 200; ++i) station.Write("linia " + std::to_string(i));
  station.Start(connection);
  station.Write("ostatnia");
  station.ExpectEachLineOnce(connection, 204);
  EXPECT_EQ(PgQuery(connection, "SELECT tekst FROM linie WHERE pozycja = 9"), Cp1250ToUtf8(polish));
}

}  // namespace
