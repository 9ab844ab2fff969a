#include "database/pg_link.h"

#include <libpq-fe.h>

#include "database/socket_wait.h"

namespace {

// libpq's message on one line: its line breaks and indents become blanks.
std::string Trimmed(const char* text) {
  std::string s;
  for (const char* p = text != nullptr ? text : ""; *p != 0; ++p) {
    const bool blank = *p == '\n' || *p == '\t' || *p == ' ';
    if (blank && (s.empty() || s.back() == ' ')) continue;
    s += blank ? ' ' : *p;
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

}  // namespace

DatabaseFault ClassifyFault(const std::string& message, const std::string& sqlState) {
  if (sqlState == "28P01" || Contains(message, "password authentication failed") ||
      Contains(message, "no password supplied") || Contains(message, "password is required")) {
    return DatabaseFault::BadPassword;
  }
  if (sqlState == "3D000" || (Contains(message, "database \"") && Contains(message, "does not exist"))) {
    return DatabaseFault::DatabaseMissing;
  }
  if (Contains(message, "role \"") && Contains(message, "does not exist")) return DatabaseFault::UnknownUser;
  if (sqlState == "42501" || Contains(message, "permission denied")) return DatabaseFault::NoCreateRight;
  if (Contains(message, "invalid connection option") || Contains(message, "missing \"=\"") ||
      Contains(message, "unterminated quoted string") || Contains(message, "invalid URI")) {
    return DatabaseFault::BadSettings;
  }
  if (sqlState.empty() || sqlState.starts_with("08") || sqlState.starts_with("57P")) {
    return DatabaseFault::Unreachable;
  }
  if (sqlState.starts_with("22") || sqlState.starts_with("23")) return DatabaseFault::Refused;
  return DatabaseFault::Other;
}

PgResult& PgResult::operator=(PgResult&& other) noexcept {
  if (this != &other) {
    if (result_ != nullptr) PQclear(result_);
    result_ = other.result_;
    other.result_ = nullptr;
  }
  return *this;
}

PgResult::~PgResult() {
  if (result_ != nullptr) PQclear(result_);
}

int PgResult::Rows() const { return result_ != nullptr ? PQntuples(result_) : 0; }
bool PgResult::IsNull(int row, int column) const { return PQgetisnull(result_, row, column) != 0; }
std::string PgResult::Value(int row, int column) const {
  return std::string(PQgetvalue(result_, row, column), PQgetlength(result_, row, column));
}

PgLink::~PgLink() { Disconnect(); }

bool PgLink::Connected() const { return conn_ != nullptr && PQstatus(conn_) == CONNECTION_OK; }

void PgLink::Disconnect() {
  {
    const std::lock_guard lock(cancelMutex_);
    cancel_.reset();
  }
  if (conn_ != nullptr) PQfinish(conn_);
  conn_ = nullptr;
}

void PgLink::Cancel() {
  std::shared_ptr<void> cancel;
  {
    const std::lock_guard lock(cancelMutex_);
    cancel = cancel_;
  }
  if (!cancel) return;
  char message[256];
  PQcancel(static_cast<PGcancel*>(cancel.get()), message, sizeof message);
}

bool PgLink::Connect(const std::string& connection, std::chrono::milliseconds timeout,
                     const std::atomic<bool>& stop, PgError& error) {
  Disconnect();
  const char* keywords[] = {"dbname", "client_encoding", "application_name", nullptr};
  const char* values[] = {connection.c_str(), "UTF8", "waga", nullptr};
  conn_ = PQconnectStartParams(keywords, values, 1);
  error = {};
  error.connectionLost = true;
  if (conn_ == nullptr) {
    error.message = "brak pamięci";
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  PostgresPollingStatusType state = PGRES_POLLING_WRITING;
  while (PQstatus(conn_) != CONNECTION_BAD && state != PGRES_POLLING_OK && state != PGRES_POLLING_FAILED) {
    if (stop.load() || std::chrono::steady_clock::now() >= deadline) {
      error.message = stop.load() ? "przerwano" : "timeout expired";
      Disconnect();
      return false;
    }
    // Short slices, so that a stop is seen at once.
    const int ready = WaitOnSocket(PQsocket(conn_), state != PGRES_POLLING_READING, 100);
    if (ready < 0) break;
    if (ready > 0) state = PQconnectPoll(conn_);
  }
  if (PQstatus(conn_) != CONNECTION_OK) {
    error.message = Trimmed(PQerrorMessage(conn_));
    Disconnect();
    return false;
  }
  // The server's notices ("already exists, skipping") are nobody's business.
  PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
  const std::lock_guard lock(cancelMutex_);
  cancel_ = std::shared_ptr<void>(PQgetCancel(conn_), [](void* c) { PQfreeCancel(static_cast<PGcancel*>(c)); });
  return true;
}

PgError PgLink::ErrorOf(pg_result* result) const {
  PgError error;
  const char* message = result != nullptr ? PQresultErrorMessage(result) : nullptr;
  error.message = Trimmed(message != nullptr && *message != 0 ? message : PQerrorMessage(conn_));
  const char* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  error.sqlState = state != nullptr ? state : "";
  error.connectionLost = PQstatus(conn_) != CONNECTION_OK || error.sqlState.empty() ||
                         error.sqlState.starts_with("08") || error.sqlState.starts_with("57P");
  return error;
}

std::optional<PgResult> PgLink::Exec(const std::string& sql,
                                     const std::vector<std::optional<std::string>>& params,
                                     PgError& error) {
  if (conn_ == nullptr) {
    error = {"no connection", "", true};
    return std::nullopt;
  }
  std::vector<const char*> values;
  values.reserve(params.size());
  for (const auto& p : params) values.push_back(p ? p->c_str() : nullptr);
  // Without parameters a text may hold several statements.
  PgResult result(params.empty() ? PQexec(conn_, sql.c_str())
                                 : PQexecParams(conn_, sql.c_str(), static_cast<int>(values.size()),
                                                nullptr, values.data(), nullptr, nullptr, 0));
  const ExecStatusType status = result.get() != nullptr ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return result;
  error = ErrorOf(result.get());
  return std::nullopt;
}

bool PgLink::CopyIn(const std::string& sql, const std::string& rows, PgError& error) {
  if (conn_ == nullptr) {
    error = {"no connection", "", true};
    return false;
  }
  PgResult start(PQexec(conn_, sql.c_str()));
  if (start.get() == nullptr || PQresultStatus(start.get()) != PGRES_COPY_IN) {
    error = ErrorOf(start.get());
    return false;
  }
  bool sent = PQputCopyData(conn_, rows.data(), static_cast<int>(rows.size())) == 1;
  sent = PQputCopyEnd(conn_, sent ? nullptr : "send failed") == 1 && sent;
  bool ok = sent;
  PgError first;
  bool haveError = false;
  while (pg_result* raw = PQgetResult(conn_)) {
    PgResult result(raw);
    if (PQresultStatus(raw) != PGRES_COMMAND_OK) {
      ok = false;
      if (!haveError) {
        first = ErrorOf(raw);
        haveError = true;
      }
    }
    if (PQstatus(conn_) != CONNECTION_OK) break;
  }
  if (!ok) error = haveError ? first : ErrorOf(nullptr);
  return ok;
}
