#pragma once

// A throwaway PostgreSQL 15 server of Debian's for tests and benchmarks: a
// cluster made by initdb in a temporary folder, listening only on a Unix
// socket in that folder, removed at the end. Run as root, the server runs
// as the user postgres on a folder that user owns. The superuser is
// "postgres" (trust); the role "waga_haslo" must give the password "dobre".

#include <libpq-fe.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

// A bounded wait on a condition, looked at every 10 ms; true when it came.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// A statement on a libpq connection: the first column of the first row, or
// "ERROR: ..." when it (or the connection) failed.
inline std::string PgQuery(const std::string& connection, const std::string& sql) {
  const std::unique_ptr<PGconn, decltype(&PQfinish)> conn(PQconnectdb(connection.c_str()), &PQfinish);
  PQsetNoticeProcessor(conn.get(), [](void*, const char*) {}, nullptr);
  const std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(conn.get(), sql.c_str()), &PQclear);
  const auto status = PQresultStatus(result.get());
  if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
    return "ERROR: " + std::string(PQerrorMessage(conn.get()));
  return PQntuples(result.get()) > 0 ? PQgetvalue(result.get(), 0, 0) : "";
}

class TempPostgres {
 public:
  // initdb and the first start; `fsync` off makes the tests quicker (a
  // killed server keeps its commits anyway: the system still has them).
  explicit TempPostgres(bool fsync = false);
  ~TempPostgres();
  TempPostgres(const TempPostgres&) = delete;
  TempPostgres& operator=(const TempPostgres&) = delete;

  // False with Reason() when Debian's PostgreSQL 15 is missing or did not start.
  bool Available() const { return available_; }
  const std::string& Reason() const { return reason_; }

  // A libpq connection string for the database and user.
  std::string Connection(const std::string& database = "postgres", const std::string& user = "postgres") const;

  bool Start();
  bool Stop();
  // SIGKILL to the server and its processes; returns when they are gone.
  void Kill();

  // A statement as the superuser (PgQuery).
  std::string Query(const std::string& sql, const std::string& database = "postgres") const {
    return PgQuery(Connection(database), sql);
  }
  // A fresh database of that name (dropped first if it exists).
  void CreateDatabase(const std::string& name) const;

  const std::string& Folder() const { return dir_; }

 private:
  // Why the server cannot be had, or empty when it is up.
  std::string Create();
  int Run(const std::string& command) const;

  std::string dir_;
  // The server listens only on a socket in its own folder: any port will do.
  int port_ = 5432;
  bool asRoot_ = false;
  bool available_ = false;
  bool fsync_ = false;
  std::string reason_;
};
