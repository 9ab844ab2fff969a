#include "database/shipper.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>

#include "database/file_identity.h"
#include "database/file_watch.h"
#include "export/cell_values.h"
#include "text/win1250.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kFirstPause{250};
constexpr milliseconds kLongestPause{2000};
constexpr milliseconds kIdleLook{1000};
constexpr milliseconds kScanEvery{1000};
constexpr std::size_t kKeptNotes = 3;

// Oldest first: days by their name, other files after them by name.
std::pair<double, std::string> Age(const FileCursor& cursor) {
  return {FileNameDay(cursor.name).value_or(1e9), cursor.name};
}

}  // namespace

struct Shipper::Core {
  explicit Core(ShipperOptions o)
      : options(std::move(o)), protocol(options.protocol), watch(MakeFileWatch(options.folder)),
        shipping(options.target), currentFile(options.currentFile) {}

  void Run();
  // Sleeps until the pause is over or the thread is stopped; changes of the
  // files do not end it.
  void WaitFor(milliseconds pause);
  void RequestStop();
  bool Connect();
  void Discover();
  FileCursor& Follow(const std::string& path, const std::string& name);
  // One batch; false when the database failed.
  bool Ship(FileCursor& cursor, bool& more);
  void Fail(const PgError& error);
  void Publish();

  const ShipperOptions options;
  std::atomic<bool> stop{false};
  std::atomic<ProtocolId> protocol;
  const std::unique_ptr<FileWatch> watch;
  LineShipping shipping;

  mutable std::mutex mutex;  // the two below
  std::string currentFile;
  ShipperStatus status;

  std::mutex stopMutex;
  std::condition_variable stopRequested;

  std::mutex doneMutex;
  std::condition_variable doneChanged;
  bool done = false;

  // The thread's own.
  std::map<std::string, FileCursor> cursors;
  bool positionsKnown = false;
  Clock::time_point lastScan{};
};

void Shipper::Core::WaitFor(milliseconds pause) {
  std::unique_lock lock(stopMutex);
  stopRequested.wait_for(lock, pause, [this] { return stop.load(); });
}

void Shipper::Core::RequestStop() {
  {
    const std::lock_guard lock(stopMutex);
    stop.store(true);
  }
  stopRequested.notify_all();
  watch->Wake();
}

void Shipper::Core::Fail(const PgError& error) {
  const std::lock_guard lock(mutex);
  status.state = ShipperStatus::State::NoConnection;
  status.fault = ClassifyFault(error.message, error.sqlState);
  status.message = error.message;
}

bool Shipper::Core::Connect() {
  {
    const std::lock_guard lock(mutex);
    if (status.state != ShipperStatus::State::NoConnection) status.state = ShipperStatus::State::Connecting;
  }
  PgError error;
  if (!shipping.Connect(stop, error)) {
    shipping.Disconnect();
    if (!stop.load()) Fail(error);
    return false;
  }
  // The database says where every file stands.
  cursors.clear();
  positionsKnown = true;
  lastScan = {};
  const std::lock_guard lock(mutex);
  status.state = ShipperStatus::State::Connected;
  status.fault = DatabaseFault::None;
  status.message.clear();
  return true;
}

FileCursor& Shipper::Core::Follow(const std::string& path, const std::string& name) {
  auto found = cursors.find(name);
  if (found == cursors.end()) found = cursors.emplace(name, shipping.CursorFor(path, name)).first;
  found->second.path = path;
  return found->second;
}

// The files that the database knows for this station, and the days' files
// from the station's first day on (written while the server was away).
void Shipper::Core::Discover() {
  lastScan = Clock::now();
  const std::filesystem::path folder(options.folder);
  for (const auto& [name, stored] : shipping.StoredCursors()) {
    const std::string path = (folder / name).string();
    std::error_code ignored;
    if (std::filesystem::is_regular_file(path, ignored)) Follow(path, name);
  }
  const std::string& since = shipping.StationSince();
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = AsUtf8(it->path().filename().string());
    const auto day = FileNameDay(name);
    std::error_code ignored;
    if (day && IsoDay(*day) >= since && it->is_regular_file(ignored)) Follow(it->path().string(), name);
  }
}

bool Shipper::Core::Ship(FileCursor& cursor, bool& more) {
  BatchReport report;
  PgError error;
  const BatchOutcome outcome = shipping.ShipBatch(cursor, protocol.load(), options.batchLines,
                                                  options.batchBytes, report, error);
  if (outcome == BatchOutcome::Failed) {
    Fail(error);
    shipping.Disconnect();
    return false;
  }
  if (outcome != BatchOutcome::Shipped) return true;
  more = more || report.full;
  const std::lock_guard lock(mutex);
  status.shipped += report.shipped;
  status.refused += report.refused;
  if (!report.refusals.empty()) status.lastRefusal = report.refusals.back();
  if (report.note) {
    status.notes.push_back(*report.note);
    if (status.notes.size() > kKeptNotes) status.notes.erase(status.notes.begin());
  }
  return true;
}

void Shipper::Core::Publish() {
  long long pending = 0;
  for (auto& [name, cursor] : cursors) {
    CountPendingLines(cursor);
    pending += cursor.pendingLines;
  }
  const std::lock_guard lock(mutex);
  status.pending = positionsKnown ? pending : -1;
}

void Shipper::Core::Run() {
  milliseconds pause = kFirstPause;
  while (!stop.load()) {
    if (!shipping.Connected()) {
      if (!Connect()) {
        Publish();
        WaitFor(pause);
        pause = std::min(pause * 2, kLongestPause);
        continue;
      }
      pause = kFirstPause;
    }
    if (Clock::now() - lastScan >= kScanEvery) Discover();
    std::string current;
    {
      const std::lock_guard lock(mutex);
      current = currentFile;
    }
    FileCursor* first = nullptr;
    if (!current.empty()) {
      const std::string system = SystemFileName(current);
      const std::filesystem::path path(system);
      // The file's own name: a day's file is the same row whoever ships it.
      first = &Follow(path.is_absolute() ? system : (std::filesystem::path(options.folder) / path).string(),
                      AsUtf8(path.filename().string()));
    }
    bool more = false;
    bool ok = first == nullptr || Ship(*first, more);
    // Then the oldest file with lines behind, one batch.
    if (ok) {
      std::vector<FileCursor*> others;
      for (auto& [name, cursor] : cursors) {
        if (&cursor != first) others.push_back(&cursor);
      }
      std::sort(others.begin(), others.end(), [](auto* a, auto* b) { return Age(*a) < Age(*b); });
      for (FileCursor* other : others) {
        CountPendingLines(*other);
        if (other->pendingLines == 0) continue;
        ok = Ship(*other, more);
        more = true;
        break;
      }
    }
    Publish();
    if (!ok) {
      WaitFor(pause);
      pause = std::min(pause * 2, kLongestPause);
      continue;
    }
    if (more) continue;
    // Idle: wait for the next change, then give the lines a moment to
    // gather, without waking for each of them; what came meanwhile is one
    // change.
    if (watch->Wait(kIdleLook)) {
      WaitFor(options.gather);
      watch->Wait(milliseconds(0));
    }
  }
  shipping.Disconnect();
}

Shipper::Shipper(ShipperOptions options) : core_(std::make_shared<Core>(std::move(options))) {
  thread_ = std::thread([core = core_] {
    core->Run();
    const std::lock_guard lock(core->doneMutex);
    core->done = true;
    core->doneChanged.notify_all();
  });
}

Shipper::~Shipper() { Stop(); }

void Shipper::SetCurrentFile(const std::string& name) {
  {
    const std::lock_guard lock(core_->mutex);
    if (core_->currentFile == name) return;
    core_->currentFile = name;
  }
  core_->watch->Wake();
}

void Shipper::SetProtocol(ProtocolId protocol) { core_->protocol.store(protocol); }

ShipperStatus Shipper::Status() const {
  const std::lock_guard lock(core_->mutex);
  return core_->status;
}

void Shipper::Stop(std::chrono::milliseconds wait) {
  if (!thread_.joinable()) return;
  core_->RequestStop();
  core_->shipping.Cancel();
  std::unique_lock lock(core_->doneMutex);
  if (core_->doneChanged.wait_for(lock, wait, [this] { return core_->done; })) {
    lock.unlock();
    thread_.join();
  } else {
    // Stuck in a network call: the thread keeps its own state alive.
    thread_.detach();
  }
}
