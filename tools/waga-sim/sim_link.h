#pragma once

// The simulator's end of the serial line: a pseudo-terminal or a real
// device, written at the pace of a chosen bit rate. Every wait also serves
// SIGINT and SIGTERM, so a stop request ends any step at once.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

// Blocks SIGINT, SIGTERM and SIGHUP outside the link's waits, which take
// them; call once before anything else.
void InstallStopSignals();
bool StopRequested();

class SimLink {
 public:
  // A pseudo-terminal when `device` is empty. `baud` 0: no pacing.
  static std::unique_ptr<SimLink> Open(const std::string& device, int baud, std::string& error);
  ~SimLink();
  SimLink(const SimLink&) = delete;
  SimLink& operator=(const SimLink&) = delete;

  // The path a program opens: the pseudo-terminal's slave or the device.
  const std::string& Path() const { return path_; }
  bool SetLog(const std::string& file, std::string& error);

  // Each returns false once a stop was requested or the line failed.
  bool Send(std::string_view bytes);
  // Waits `ms` after the line has finished sending what was sent.
  bool Pause(int ms);
  // Until the other side has read everything sent.
  bool WaitDrained();
  // Until a stop is requested.
  void WaitForStop();

 private:
  using Clock = std::chrono::steady_clock;
  SimLink() = default;
  // Waits until `deadline` (or until writable when `forWrite`), reading and
  // discarding what the other side writes. False on a stop request.
  bool Wait(Clock::time_point deadline, bool forWrite);
  bool WriteAll(std::string_view bytes);

  int fd_ = -1;      // master side or device
  int holdFd_ = -1;  // a slave descriptor kept open: no hang-up between opens
  int logFd_ = -1;
  bool fdQuiet_ = false;  // the device hung up: stop polling it
  std::string path_;
  Clock::duration byteTime_{};
  std::size_t chunk_ = 0;  // 0: everything at once
  Clock::time_point lineFree_{};
};
