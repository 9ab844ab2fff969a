#pragma once

// One connection to PostgreSQL through libpq, for one thread. Connecting
// can be cut short by a stop flag; every failure is sorted into the causes
// the operator can act on.

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

enum class DatabaseFault {
  None,
  Unreachable,      // no server at that address, or the network is down
  BadPassword,      // the server refused the password, or none was given
  UnknownUser,      // no such role
  DatabaseMissing,  // no such database on the server
  NoCreateRight,    // the tables are missing and this user may not create them
  BadSettings,      // the connection string cannot be read
  Refused,          // the server refused a statement (see the message)
  Other,
};

// The cause of libpq's connection or statement failure: its message and,
// where the server sent one, its SQLSTATE code.
DatabaseFault ClassifyFault(const std::string& message, const std::string& sqlState);

// A statement's failure, kept as libpq reported it.
struct PgError {
  std::string message;   // UTF-8, without the trailing line end
  std::string sqlState;  // empty when the connection broke
  // The connection is gone (or the state of a transaction cannot be known).
  bool connectionLost = false;
};

class PgResult {
 public:
  explicit PgResult(pg_result* result = nullptr) : result_(result) {}
  PgResult(PgResult&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
  PgResult& operator=(PgResult&& other) noexcept;
  ~PgResult();
  pg_result* get() const { return result_; }
  int Rows() const;
  bool IsNull(int row, int column) const;
  std::string Value(int row, int column) const;

 private:
  pg_result* result_;
};

class PgLink {
 public:
  PgLink() = default;
  ~PgLink();
  PgLink(const PgLink&) = delete;
  PgLink& operator=(const PgLink&) = delete;

  // Connects with the connection string (UTF-8). Gives up after `timeout`
  // or as soon as `stop` is set. False with `error` on failure.
  bool Connect(const std::string& connection, std::chrono::milliseconds timeout,
               const std::atomic<bool>& stop, PgError& error);
  bool Connected() const;
  void Disconnect();
  // Interrupts a statement running on this connection (any thread).
  void Cancel();

  // A statement with text parameters (nullopt: NULL); nothing on failure.
  std::optional<PgResult> Exec(const std::string& sql, const std::vector<std::optional<std::string>>& params,
                               PgError& error);
  bool Run(const std::string& sql, PgError& error) { return Exec(sql, {}, error).has_value(); }
  // COPY ... FROM STDIN of rows already in COPY's text format.
  bool CopyIn(const std::string& sql, const std::string& rows, PgError& error);

 private:
  PgError ErrorOf(pg_result* result) const;

  pg_conn* conn_ = nullptr;
  std::mutex cancelMutex_;
  std::shared_ptr<void> cancel_;  // PGcancel, freed with PQfreeCancel
};
