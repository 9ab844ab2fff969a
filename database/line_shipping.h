#pragma once

// Shipping a data file's lines to the table linie: each batch of complete
// lines (ended by LF) together with the file's read position in pozycje,
// in one transaction, so that the database always says how far a file has
// come: nothing is lost and nothing goes twice, whatever fails when. A file
// that shrank, was replaced (another inode that does not end as the old one
// did at the position) or no longer ends a line where the position points
// starts a new edition (wydanie) from its beginning; a file copied or moved
// with its content goes on where it was.
// The data file is only read. Used by the shipping thread and by
// `waga-export --to-db`; one object per connection, on one thread.

#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "database/pg_link.h"
#include "protocols/scale_protocol.h"

struct ShippingTarget {
  std::string connection;  // libpq connection string, UTF-8
  std::string station;     // UTF-8
};

// One followed data file.
struct FileCursor {
  std::string path;      // to open (Windows-1250 bytes, as the program names files)
  std::string name;      // the column plik: the name as the program writes it, UTF-8
  // What the database holds for the file (none: no row yet).
  bool stored = false;
  int storedEdition = 1;
  unsigned long long storedPosition = 0;
  std::string storedIdentity;
  // Where shipping goes on: the stored position, or the start of a new edition.
  int edition = 1;
  unsigned long long position = 0;
  // Lines behind `position` counted up to `countedTo`.
  unsigned long long countedTo = 0;
  long long pendingLines = 0;
};

struct BatchReport {
  long long shipped = 0;
  long long refused = 0;
  std::vector<std::string> refusals;  // "plik:pozycja: the server's words", UTF-8
  std::optional<std::string> note;    // a new edition began, UTF-8
  bool full = false;                  // the batch was cut at its limit: more is waiting
};

enum class BatchOutcome {
  Shipped,     // lines went (or were refused and skipped); see the report
  NothingNew,  // no complete line behind the position
  Missing,     // the file is not there (yet)
  Failed,      // the database failed; `error` says why (connection lost or not)
};

class LineShipping {
 public:
  explicit LineShipping(ShippingTarget target) : target_(std::move(target)) {}

  // Connects, creates or brings up the schema, registers the station and
  // reads the station's positions.
  bool Connect(const std::atomic<bool>& stop, PgError& error);
  bool Connected() const { return link_.Connected(); }
  void Disconnect() { link_.Disconnect(); }
  // Any thread: interrupts what runs on the connection.
  void Cancel() { link_.Cancel(); }

  // The first day of the station in the database (yyyy-mm-dd) and the files
  // it holds positions for (plik -> cursor), as read by Connect.
  const std::string& StationSince() const { return since_; }
  const std::map<std::string, FileCursor>& StoredCursors() const { return stored_; }
  // A cursor for a file: the stored one when the database has it.
  FileCursor CursorFor(const std::string& path, const std::string& name) const;

  // Ships at most `maxLines` lines / `maxBytes` bytes of the file.
  BatchOutcome ShipBatch(FileCursor& cursor, ProtocolId protocol, std::size_t maxLines, std::size_t maxBytes,
                         BatchReport& report, PgError& error);

 private:
  struct Line {
    unsigned long long offset;
    std::string text;
  };
  bool Commit(FileCursor& cursor, const std::vector<Line>& lines, std::size_t first, std::size_t count,
              unsigned long long end, std::FILE* file, const std::string& fileId, ProtocolId protocol,
              const std::optional<std::string>& fileDay, PgError& error);
  bool LockPosition(FileCursor& cursor, PgError& error, bool& moved);

  ShippingTarget target_;
  PgLink link_;
  std::string since_;
  std::map<std::string, FileCursor> stored_;
};

// Counts the complete lines behind the cursor's position that are not yet
// counted (reads only what was added since the last count).
void CountPendingLines(FileCursor& cursor);
