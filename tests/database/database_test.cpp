// The shipping of data files into a real PostgreSQL 15, one server for the
// whole program (started before the first case, removed after the last),
// a fresh database for each case.

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <sys/wait.h>

#include "database/status_text.h"
#include "tests/database/shipping_station.h"
#include "text/win1250.h"

namespace {

TempPostgres* server = nullptr;

class ServerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { server = new TempPostgres(); }
  void TearDown() override { delete std::exchange(server, nullptr); }
};
[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

class Shipping : public ::testing::Test {
 protected:
  void SetUp() override {
    if (server == nullptr || !server->Available()) GTEST_SKIP() << (server ? server->Reason() : "no server");
    static int cases = 0;
    db = "przypadek" + std::to_string(++cases);
    server->CreateDatabase(db);
  }
  void TearDown() override {
    // The next case needs the server up again.
    if (server != nullptr && server->Available() && Query("SELECT 1").starts_with("ERROR")) server->Start();
  }
  std::string Query(const std::string& sql) const { return server->Query(sql, db); }
  std::string Connection() const { return server->Connection(db); }
  bool WaitQuery(const std::string& sql, const std::string& answer) const {
    return WaitUntil([&] { return Query(sql) == answer; }, kLimit);
  }
  // Ten old lines, shipped.
  void ShipOldLines(Station& station) const {
    for (int i = 0; i < 10; ++i) station.Write("stara " + std::to_string(i));
    station.Start(Connection());
    station.ExpectEachLineOnce(Connection(), 10);
  }

  std::string db;
};

TEST_F(Shipping, LinesArriveInTheOrderWrittenWithTheirKindsValuesAndLetters) {
  Station station("waga-1");
  const std::string polish = Utf8ToCp1250("  BILANS WAŻEŃ źdźbło ĄĘŁŃÓŚŹŻ");
  const std::vector<std::string> lines = {
      "  12.50", polish, "", "001     20.37 kg     20.37 kg    2026/12/07  09:14",
      "002     36.30 kg     56.67 kg    2026/12/07  09:15", "", "tab\there \\ back"};
  station.Write(lines[0]), station.Write(lines[1]);
  station.Start(Connection());
  // Written while it runs, too.
  for (std::size_t i = 2; i < lines.size(); ++i) station.Write(lines[i]);
  station.ExpectEachLineOnce(Connection(), static_cast<long long>(lines.size()));

  std::string expected, offsets;
  std::size_t offset = 0;
  for (const auto& line : lines) {
    expected += Cp1250ToUtf8(line) + "|";
    offsets += std::to_string(offset) + ",";
    offset += line.size() + 2;
  }
  EXPECT_EQ(Query("SELECT string_agg(tekst, '|' ORDER BY pozycja) || '|' FROM linie"), expected);
  EXPECT_EQ(Query("SELECT string_agg(pozycja::text, ',' ORDER BY pozycja) || ',' FROM linie"), offsets);
  EXPECT_EQ(Query("SELECT string_agg(rodzaj, ',' ORDER BY pozycja) FROM linie"),
            "odczyt,tekst,tekst,rekord bilansu,rekord bilansu,tekst,tekst");
  EXPECT_EQ(Query("SELECT odczyt || ' ' || odczyt_tekst || ' ' || dzien FROM linie WHERE pozycja = 0"),
            "12.5 12.50 2026-12-07");
  EXPECT_EQ(Query("SELECT string_agg(concat_ws(' ', \"Data\", \"Godzina\", \"Bilans\", \"Nr ważenia\", \"Masa\", "
                  "\"Suma\", \"Jednostka\", \"Plik\"), '|') FROM \"Ważenia\""),
            "2026-12-07 09:14:00 1 1 20.37 20.37 kg 20261207|2026-12-07 09:15:00 1 2 36.3 56.67 kg 20261207");
  EXPECT_EQ(Query("SELECT concat_ws(' ', \"Liczba ważeń\", \"Masa łączna\", \"Godzina\") FROM \"Bilanse\""),
            "2 56.67 09:15:00");
  EXPECT_EQ(Query("SELECT count(*) FROM \"Odczyty\""), "1");
  EXPECT_TRUE(WaitUntil([&] { return station.shipper->Status().pending == 0; }, kLimit));
  EXPECT_EQ(DatabasePanelText(station.shipper->Status()), "baza: na bieżąco");
}

// The server away, killed in mid-batch or stopped before the shipper starts:
// the cause shows, and once it is back every line is there once.
class Outages : public Shipping, public ::testing::WithParamInterface<bool> {};

TEST_P(Outages, ShowTheCauseAndLoseAndDoubleNothing) {
  const bool killed = GetParam();
  Station station("waga-1");
  const int before = killed ? 20000 : 1, during = 500;
  for (int i = 0; i < before; ++i) station.Write("linia " + std::to_string(i));
  ASSERT_TRUE(killed || server->Stop());
  station.Start(Connection(), 200);
  ASSERT_TRUE(!killed || WaitUntil([&] { return station.shipper->Status().shipped > 0; }, kLimit));
  if (killed) server->Kill();
  // Lines written while it notices, and after.
  for (int i = 0; i < during / 2; ++i) station.Write("w przerwie " + std::to_string(i));
  ASSERT_TRUE(station.WaitState(ShipperStatus::State::NoConnection));
  for (int i = during / 2; i < during; ++i) station.Write("w przerwie " + std::to_string(i));
  const ShipperStatus away = station.shipper->Status();
  EXPECT_EQ(away.fault, DatabaseFault::Unreachable) << away.message;
  EXPECT_NE(DatabaseTooltip(away, "waga-1").find("nieosiągalny"), std::string::npos);
  EXPECT_EQ(DatabasePanelText(away), "baza: brak połączenia");
  // Not known before the database has said where the file stands.
  EXPECT_TRUE(killed ? away.pending > 0 : away.pending == -1) << away.pending;
  ASSERT_TRUE(server->Start());
  station.ExpectEachLineOnce(Connection(), before + during);
  EXPECT_EQ(Query("SELECT tekst FROM linie ORDER BY pozycja DESC LIMIT 1"), "w przerwie 499");
  EXPECT_TRUE(station.WaitState(ShipperStatus::State::Connected));
}

INSTANTIATE_TEST_SUITE_P(Shipping, Outages, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "KilledInMidBatch" : "AwayAtStart"; });

struct FaultCase {
  const char* name;
  const char *database, *user;  // no database: the case's own
  DatabaseFault fault;
};

class Faults : public Shipping, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(Faults, ShowTheirCause) {
  TempDir folder;
  const std::string passFile = folder.File("pgpass");
  WriteFile(passFile, "*:*:*:waga_haslo:zle\n");
  std::filesystem::permissions(passFile, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  server->Query("DROP ROLE IF EXISTS bez_praw"), server->Query("CREATE ROLE bez_praw LOGIN");
  Station station("waga-1");
  station.Write("linia");
  const FaultCase& c = GetParam();
  station.Start(server->Connection(c.database != nullptr ? c.database : db, c.user) + " passfile=" + passFile);
  ASSERT_TRUE(station.WaitState(ShipperStatus::State::NoConnection));
  EXPECT_EQ(station.shipper->Status().fault, c.fault) << station.shipper->Status().message;
  EXPECT_EQ(Query("SELECT count(*) FROM pg_tables WHERE tablename = 'linie'"), "0");
}

INSTANTIATE_TEST_SUITE_P(
    Shipping, Faults,
    ::testing::Values(FaultCase{"WrongPassword", nullptr, "waga_haslo", DatabaseFault::BadPassword},
                      FaultCase{"DatabaseMissing", "nie_ma_takiej", "postgres", DatabaseFault::DatabaseMissing},
                      FaultCase{"NoRightToCreateTheTables", nullptr, "bez_praw", DatabaseFault::NoCreateRight}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Shipping, TwoStationsShareOneServer) {
  Station first("waga-1"), second("waga-2");
  std::size_t firstEnd = 0, secondEnd = 0;
  for (int i = 0; i < 300; ++i) {
    const std::string record = "001     1.00 kg     1.00 kg", text = "linia " + std::to_string(i);
    first.Write(record);
    second.Write(text);
    firstEnd += record.size() + 2;
    secondEnd += text.size() + 2;
  }
  first.Start(Connection());
  second.Start(Connection());
  first.ExpectEachLineOnce(Connection(), 300);
  second.ExpectEachLineOnce(Connection(), 300);
  EXPECT_EQ(Query("SELECT string_agg(stanowisko || ':' || pozycja, ',' ORDER BY stanowisko) FROM pozycje"),
            "waga-1:" + std::to_string(firstEnd) + ",waga-2:" + std::to_string(secondEnd));
  EXPECT_EQ(Query("SELECT string_agg(DISTINCT \"Stanowisko\", ',') FROM \"Ważenia\""), "waga-1");
}

// The data file changed under the shipper: cut short, or replaced by one with
// new content or with the same (a backup put back, a folder moved: another
// inode). Only new content goes from the start, as a second edition, with a note.
struct ChangeCase {
  const char* name;
  bool replaced, sameContent;
  const char *newLines, *firstEdition, *note;  // the new lines as "text@edition"
};

class FileChanges : public Shipping, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(FileChanges, NewContentGoesFromTheStartWithANote) {
  const ChangeCase& c = GetParam();
  Station station("waga-1");
  ShipOldLines(station);
  const std::string path = station.folder.File(kFile);
  if (c.sameContent) std::filesystem::copy_file(path, path + ".nowy");
  else WriteFile(c.replaced ? path + ".nowy" : path, "nowa 0\r\n");
  if (c.replaced) std::filesystem::rename(path + ".nowy", path);
  station.Write("nowa 1");
  station.Write("nowa 2");
  EXPECT_TRUE(WaitQuery("SELECT string_agg(tekst || '@' || wydanie, ',' ORDER BY wydanie, pozycja) FROM linie "
                        "WHERE tekst LIKE 'nowa%'", c.newLines));
  EXPECT_EQ(Query("SELECT count(*) FROM linie WHERE wydanie = 1"), c.firstEdition);
  const auto notes = station.shipper->Status().notes;
  EXPECT_EQ(notes.size(), *c.note != 0 ? 1u : 0u);
  for (const std::string& note : notes) EXPECT_NE(note.find(c.note), std::string::npos) << note;
}

const char *const kSecondEdition = "nowa 0@2,nowa 1@2,nowa 2@2", *const kNote = "od początku (wydanie 2)";
INSTANTIATE_TEST_SUITE_P(
    Shipping, FileChanges,
    ::testing::Values(ChangeCase{"Truncated", false, false, kSecondEdition, "10", kNote},
                      ChangeCase{"Replaced", true, false, kSecondEdition, "10", kNote},
                      ChangeCase{"CopiedWithItsContent", true, true, "nowa 1@1,nowa 2@1", "12", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Shipping, ALineTheDatabaseRefusesIsSkippedAndCounted) {
  Station station("waga-1");
  station.Write("przed");
  station.Write(std::string("zero\0bajt", 9));
  station.Write("po");
  station.Start(Connection());
  EXPECT_TRUE(WaitQuery("SELECT string_agg(tekst, ',' ORDER BY pozycja) FROM linie", "przed,po"));
  EXPECT_TRUE(WaitUntil([&] { return station.shipper->Status().refused == 1; }, kLimit));
  EXPECT_NE(station.shipper->Status().lastRefusal.find("20261207:7:"), std::string::npos);
  // Past all three lines (7 + 11 + 4 bytes).
  EXPECT_EQ(Query("SELECT pozycja FROM pozycje"), "22");
}

// `waga-export --to-db`, then the program's shipper, then the tool again.
TEST_F(Shipping, OldDaysGoOnceWhateverShipsThem) {
  const auto tool = [](const std::string& arguments, std::string& output) {
    std::FILE* pipe = popen((std::string(WAGA_EXPORT_TOOL) + " " + arguments + " 2>&1").c_str(), "r");
    output.clear();
    for (char buffer[512]; pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr;) output += buffer;
    return pipe != nullptr ? WEXITSTATUS(pclose(pipe)) : -1;
  };
  Station station("waga-1");
  for (int i = 0; i < 5; ++i) station.Write("stary dzień " + std::to_string(i));
  const std::string days = " --from 2026-12-01 --to 2026-12-07";
  std::string output;
  EXPECT_EQ(tool("--to-db --dir " + station.folder.path.string() + days, output), 1) << output;
  EXPECT_NE(output.find("baza.ini"), std::string::npos) << output;

  WriteFile(station.folder.File("baza.ini"), "Polaczenie=" + Connection() + "\r\nStanowisko=waga-1\r\n");
  EXPECT_EQ(tool("--to-db --dir " + station.folder.path.string() + days, output), 0) << output;
  EXPECT_NE(output.find("Do bazy poszło 5 linii z 1 plików."), std::string::npos) << output;
  station.Write("dopisana");
  // The program's shipper goes on where the tool stopped.
  station.Start(Connection());
  station.ExpectEachLineOnce(Connection(), 6);
  station.shipper->Stop();
  EXPECT_EQ(tool("--to-db " + station.folder.File(kFile), output), 1) << output;  // no baza.ini here
  EXPECT_EQ(tool("--to-db --dir " + station.folder.path.string() + days, output), 0) << output;
  EXPECT_NE(output.find("Do bazy poszło 0 linii"), std::string::npos) << output;
}

}  // namespace
