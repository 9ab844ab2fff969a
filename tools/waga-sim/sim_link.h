#pragma once

// The simulator's end of the line, written at the pace of a chosen bit
// rate: a pseudo-terminal or a serial device (tty_link.h), or a TCP port
// (tcp_link.h). Every wait also serves SIGINT and SIGTERM, so a stop
// request ends any step at once.

#include <poll.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/waga-sim/wire_model.h"

// Blocks SIGINT, SIGTERM and SIGHUP outside the link's waits, which take
// them; call once before anything else.
void InstallStopSignals();
bool StopRequested();

class SimLink {
 public:
  virtual ~SimLink();
  SimLink(const SimLink&) = delete;
  SimLink& operator=(const SimLink&) = delete;

  // What a program opens: the pseudo-terminal's slave, the device, or the
  // porty.ini target of the TCP port.
  const std::string& Path() const { return path_; }
  bool SetLog(const std::string& file, std::string& error);

  // From now on the scale sends in `sender`'s speed and frame format, and
  // what the other side gets is what its receiver makes of that (see
  // ReceiverFormat). Paces the output at that speed.
  virtual bool SetWire(const LineFormat& sender, std::string& error);

  // Each returns false once a stop was requested or the line failed.
  bool Send(std::string_view bytes);
  // Waits `ms` after the line has finished sending what was sent.
  bool Pause(int ms);
  // Until the other side has read everything sent.
  bool WaitDrained();
  // Until a stop is requested.
  void WaitForStop();
  // Until someone is there to receive (at once on a serial line).
  bool WaitForPeer();

  // From now on what the other side sends is kept for TakeInput (a bounded
  // amount); otherwise it is read and dropped.
  void KeepInput() { keepInput_ = true; }
  // Until something has been received; false on a stop request.
  bool WaitForInput();
  std::string TakeInput();

 protected:
  using Clock = std::chrono::steady_clock;
  enum class Until { Time, Room, Peer, Input };

  SimLink() = default;
  // Paces the output at `baud` (0: no pacing) from now on, `frameHalves`
  // half bits per byte.
  void SetPace(int baud, int frameHalves = 20);
  // The speed and frame format of the other side's receiver, where the
  // link knows them; nothing: the bytes go as they are.
  virtual std::optional<LineFormat> ReceiverFormat() { return std::nullopt; }

  // The descriptors a wait watches; `until` says what it waits for.
  virtual void Watch(std::vector<pollfd>& fds, Until until) = 0;
  // Serves what the watched descriptors report; true when what the wait
  // waits for (room to write, a peer) is there.
  virtual bool Serve(const std::vector<pollfd>& fds, Until until) = 0;
  // Writes some of the bytes; how many were taken, or -1 with errno.
  virtual ssize_t WriteSome(std::string_view bytes) = 0;
  // Whether the bytes written reach anyone: a peer is there.
  virtual bool Delivering() const { return true; }
  // Bytes written but not yet read by the other side; -1 when unknown.
  virtual long Unread() = 0;

  // What the other side sent, as the program wrote it (with a wire, as
  // the scale's receiver takes it).
  void Received(std::string_view bytes);

  std::string path_;

 private:
  // Waits until `deadline` or until what `until` names is there. False on
  // a stop request.
  bool Wait(Clock::time_point deadline, Until until);
  bool WriteAll(std::string_view bytes);

  int logFd_ = -1;
  Clock::duration byteTime_{};
  std::size_t chunk_ = 0;  // 0: everything at once
  Clock::time_point lineFree_ = Clock::now();
  std::optional<LineFormat> wire_;
  bool keepInput_ = false;
  std::string input_;
};
