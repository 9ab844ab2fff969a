#include "database/line_shipping.h"

#include <cstring>
#include <iostream>
#include <memory>

#include "database/file_identity.h"
#include "database/line_row.h"
#include "database/schema.h"
#include "export/cell_values.h"
#include "export/line_reader.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool Seek(std::FILE* file, unsigned long long offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

// The line itself was wrong for the database (a NUL byte, a value out of
// range, a constraint): it is skipped. Anything else is tried again later.
bool Refusable(const PgError& error) {
  return !error.connectionLost && (error.sqlState.starts_with("22") || error.sqlState.starts_with("23"));
}

// The file's last bytes before `end` in hex, which tell a file copied or
// moved (another inode, the same content) from one replaced by another.
std::string TailBefore(std::FILE* file, unsigned long long end) {
  constexpr unsigned long long kTail = 32;
  const unsigned long long length = std::min(end, kTail);
  char bytes[kTail];
  if (!Seek(file, end - length) || std::fread(bytes, 1, length, file) != length) return "?";
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned long long i = 0; i < length; ++i) {
    hex += kHex[static_cast<unsigned char>(bytes[i]) >> 4];
    hex += kHex[static_cast<unsigned char>(bytes[i]) & 15];
  }
  return hex;
}

// Not a server's code: the position was moved by someone else.
constexpr const char* kMovedState = "moved";

std::optional<std::string> DayOfFile(const std::string& path) {
  if (const auto day = FileNameDay(path)) return IsoDay(*day);
  return std::nullopt;
}

}  // namespace

bool LineShipping::Connect(const std::atomic<bool>& stop, PgError& error) {
  stored_.clear();
  if (!link_.Connect(target_.connection, std::chrono::seconds(5), stop, error)) return false;
  if (!EnsureSchema(link_, error)) return false;
  if (!link_.Exec("INSERT INTO stanowiska (stanowisko) VALUES ($1) ON CONFLICT DO NOTHING",
                  {target_.station}, error)) {
    return false;
  }
  auto since = link_.Exec("SELECT od FROM stanowiska WHERE stanowisko = $1", {target_.station}, error);
  if (!since) return false;
  since_ = since->Rows() > 0 ? since->Value(0, 0) : "";
  auto rows = link_.Exec("SELECT plik, wydanie, pozycja, tozsamosc FROM pozycje WHERE stanowisko = $1",
                         {target_.station}, error);
  if (!rows) return false;
  for (int i = 0; i < rows->Rows(); ++i) {
    FileCursor cursor;
    cursor.name = rows->Value(i, 0);
    cursor.stored = true;
    cursor.storedEdition = cursor.edition = std::stoi(rows->Value(i, 1));
    cursor.storedPosition = cursor.position = std::stoull(rows->Value(i, 2));
    cursor.storedIdentity = rows->Value(i, 3);
    cursor.countedTo = cursor.position;
    stored_[cursor.name] = cursor;
  }
  return true;
}

FileCursor LineShipping::CursorFor(const std::string& path, const std::string& name) const {
  FileCursor cursor;
  if (const auto found = stored_.find(name); found != stored_.end()) cursor = found->second;
  cursor.path = path;
  cursor.name = name;
  return cursor;
}

bool LineShipping::LockPosition(FileCursor& cursor, PgError& error, bool& moved) {
  moved = false;
  if (!cursor.stored &&
      !link_.Exec("INSERT INTO pozycje (stanowisko, plik, wydanie, pozycja) VALUES ($1, $2, 1, 0) "
                  "ON CONFLICT DO NOTHING",
                  {target_.station, cursor.name}, error)) {
    return false;
  }
  auto row = link_.Exec("SELECT wydanie, pozycja, tozsamosc FROM pozycje WHERE stanowisko = $1 AND plik = $2 "
                        "FOR UPDATE",
                        {target_.station, cursor.name}, error);
  if (!row) return false;
  const int edition = row->Rows() > 0 ? std::stoi(row->Value(0, 0)) : 1;
  const unsigned long long position = row->Rows() > 0 ? std::stoull(row->Value(0, 1)) : 0;
  const int expectedEdition = cursor.stored ? cursor.storedEdition : 1;
  const unsigned long long expectedPosition = cursor.stored ? cursor.storedPosition : 0;
  if (edition == expectedEdition && position == expectedPosition) return true;
  // Someone else (another copy with this station's name, or waga-export
  // --to-db) moved the position: go on from where the database says.
  moved = true;
  cursor.stored = true;
  cursor.storedEdition = cursor.edition = edition;
  cursor.storedPosition = cursor.position = cursor.countedTo = position;
  cursor.storedIdentity = row->Value(0, 2);
  cursor.pendingLines = 0;
  return true;
}

bool LineShipping::Commit(FileCursor& cursor, const std::vector<Line>& lines, std::size_t first,
                          std::size_t count, unsigned long long end, std::FILE* file, const std::string& fileId,
                          ProtocolId protocol, const std::optional<std::string>& fileDay, PgError& error) {
  std::string rows;
  rows.reserve(count * 160);
  for (std::size_t i = first; i < first + count; ++i) {
    AppendCopyRow(rows, target_.station, cursor.name, cursor.edition, lines[i].offset,
                  MakeLineRow(lines[i].text, protocol, fileDay));
  }
  // Stored with the position: which file, and how it ends there.
  const std::string identity = fileId + "|" + TailBefore(file, end);
  const auto rollback = [&] {
    PgError ignored;
    if (link_.Connected()) link_.Run("ROLLBACK", ignored);
    return false;
  };
  if (!link_.Run("BEGIN", error)) return rollback();
  bool moved = false;
  if (!LockPosition(cursor, error, moved)) return rollback();
  if (moved) {
    error = {"pozycja przesunięta przez inny program", kMovedState, false};
    return rollback();
  }
  if (!rows.empty() && !link_.CopyIn(std::string("COPY linie (") + kLineColumns + ") FROM STDIN", rows, error)) {
    return rollback();
  }
  if (!link_.Exec("UPDATE pozycje SET wydanie = $3, pozycja = $4, tozsamosc = $5, zmieniono = now() "
                  "WHERE stanowisko = $1 AND plik = $2",
                  {target_.station, cursor.name, std::to_string(cursor.edition), std::to_string(end), identity},
                  error) ||
      !link_.Run("COMMIT", error)) {
    return rollback();
  }
  cursor.stored = true;
  cursor.storedEdition = cursor.edition;
  cursor.storedPosition = cursor.position = end;
  cursor.storedIdentity = identity;
  stored_[cursor.name] = cursor;
  return true;
}

BatchOutcome LineShipping::ShipBatch(FileCursor& cursor, ProtocolId protocol, std::size_t maxLines,
                                     std::size_t maxBytes, BatchReport& report, PgError& error) {
  report = {};
  const File file(std::fopen(cursor.path.c_str(), "rb"));
  FileIdentity identity;
  if (!file || !IdentifyFile(file.get(), identity)) return BatchOutcome::Missing;
  // Has the file been cut short, replaced or rewritten under us?
  const char* change = nullptr;
  const std::string storedId = cursor.storedIdentity.substr(0, cursor.storedIdentity.find('|'));
  const std::string storedTail = cursor.storedIdentity.find('|') == std::string::npos
                                     ? ""
                                     : cursor.storedIdentity.substr(cursor.storedIdentity.find('|') + 1);
  if (cursor.edition == cursor.storedEdition && !storedId.empty() && storedId != identity.id &&
      TailBefore(file.get(), cursor.position) != storedTail) {
    change = "podmieniony";
  } else if (identity.size < cursor.position) {
    change = "skrócony";
  } else if (cursor.position > 0 && (!Seek(file.get(), cursor.position - 1) || std::fgetc(file.get()) != '\n')) {
    change = "zmieniony";
  }
  if (change != nullptr) {
    cursor.edition = std::max(cursor.edition, cursor.storedEdition) + 1;
    cursor.position = cursor.countedTo = 0;
    cursor.pendingLines = 0;
    report.note = "Plik " + cursor.name + " został " + change + "; jego treść idzie do bazy od początku (wydanie " +
                  std::to_string(cursor.edition) + ").";
  }
  if (!Seek(file.get(), cursor.position)) return BatchOutcome::NothingNew;
  const auto reader = std::make_unique<LineReader>(file.get());
  std::vector<Line> lines;
  std::string text;
  bool overlong = false;
  std::size_t bytes = 0;
  unsigned long long end = cursor.position;
  while (lines.size() < maxLines && bytes < maxBytes && reader->Next(text, overlong)) {
    // A line still being written waits for its LF.
    if (!reader->LineEnded()) break;
    lines.push_back({end, text});
    end = cursor.position + reader->Consumed();
    bytes += text.size();
  }
  report.full = lines.size() >= maxLines || bytes >= maxBytes;
  if (lines.empty()) return BatchOutcome::NothingNew;

  const auto fileDay = DayOfFile(cursor.path);
  const unsigned long long start = cursor.position;
  if (Commit(cursor, lines, 0, lines.size(), end, file.get(), identity.id, protocol, fileDay, error)) {
    report.shipped = static_cast<long long>(lines.size());
  } else if (error.sqlState == kMovedState) {
    return BatchOutcome::Shipped;
  } else if (Refusable(error)) {
    // One line spoils the batch: each line on its own, the refused ones
    // skipped with their position moved past them.
    cursor.position = start;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const unsigned long long lineEnd = i + 1 < lines.size() ? lines[i + 1].offset : end;
      if (Commit(cursor, lines, i, 1, lineEnd, file.get(), identity.id, protocol, fileDay, error)) {
        ++report.shipped;
        continue;
      }
      if (!Refusable(error)) return BatchOutcome::Failed;
      const std::string refusal = cursor.name + ":" + std::to_string(lines[i].offset) + ": " + error.message;
      std::cerr << "waga: baza odrzuciła linię " << refusal << "\n";
      if (!Commit(cursor, lines, i, 0, lineEnd, file.get(), identity.id, protocol, fileDay, error)) {
        return BatchOutcome::Failed;
      }
      ++report.refused;
      report.refusals.push_back(refusal);
    }
  } else {
    return BatchOutcome::Failed;
  }
  cursor.pendingLines = std::max(0LL, cursor.pendingLines - report.shipped - report.refused);
  if (cursor.countedTo < cursor.position) {
    cursor.countedTo = cursor.position;
    cursor.pendingLines = 0;
  }
  return BatchOutcome::Shipped;
}

void CountPendingLines(FileCursor& cursor) {
  if (cursor.countedTo < cursor.position) {
    cursor.countedTo = cursor.position;
    cursor.pendingLines = 0;
  }
  const File file(std::fopen(cursor.path.c_str(), "rb"));
  FileIdentity identity;
  if (!file || !IdentifyFile(file.get(), identity)) return;
  if (identity.size < cursor.countedTo) {
    // Cut short: the next batch notices it and starts again.
    cursor.countedTo = 0;
    cursor.pendingLines = 0;
  }
  if (identity.size == cursor.countedTo || !Seek(file.get(), cursor.countedTo)) return;
  char buffer[64 * 1024];
  unsigned long long at = cursor.countedTo;
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get())) {
    for (const char* p = buffer; (p = static_cast<const char*>(std::memchr(p, '\n', buffer + n - p))); ++p) {
      ++cursor.pendingLines;
      cursor.countedTo = at + static_cast<unsigned long long>(p - buffer) + 1;
    }
    at += n;
  }
}
