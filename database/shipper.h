#pragma once

// The shipping thread: follows the data files of the working folder and
// ships every new complete line to the database (see line_shipping.h). It
// shares nothing with the serial path: the window hands it the data file's
// name and the port's protocol and reads its status, each under a lock that
// no database call holds. New lines of the current data file go first;
// older files with lines behind (a day when the server was away) are caught
// up, oldest first, one batch between two looks at the current file. The
// connection is retried with a growing pause (a quarter of a second up to
// two seconds).

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "database/line_shipping.h"

struct ShipperOptions {
  ShippingTarget target;
  std::string folder = ".";       // the working folder
  std::string currentFile;        // the data file being written (Windows-1250, relative to folder)
  ProtocolId protocol = ProtocolId::Liczba;
  std::size_t batchLines = 5000;
  std::size_t batchBytes = 1 << 20;
  // New lines are gathered this long before they go, so that a flood of
  // lines makes few transactions.
  std::chrono::milliseconds gather{100};
};

struct ShipperStatus {
  enum class State { Connecting, Connected, NoConnection };
  State state = State::Connecting;
  // Complete lines in the followed files not yet in the database; -1 while
  // the database has not said where the files stand.
  long long pending = -1;
  long long shipped = 0;  // since the start
  DatabaseFault fault = DatabaseFault::None;
  std::string message;    // libpq's or the server's words, UTF-8
  long long refused = 0;
  std::string lastRefusal;
  std::vector<std::string> notes;  // the last few new editions, UTF-8
};

class Shipper {
 public:
  explicit Shipper(ShipperOptions options);
  // Stops and waits at most a few seconds (see Stop).
  ~Shipper();
  Shipper(const Shipper&) = delete;
  Shipper& operator=(const Shipper&) = delete;

  // Never wait for the database.
  void SetCurrentFile(const std::string& name);
  void SetProtocol(ProtocolId protocol);
  ShipperStatus Status() const;

  // Asks the thread to end, interrupting a statement, and waits for it at
  // most `wait`; a thread still inside libpq then ends on its own.
  void Stop(std::chrono::milliseconds wait = std::chrono::seconds(3));

  struct Core;

 private:
  std::shared_ptr<Core> core_;
  std::thread thread_;
};
