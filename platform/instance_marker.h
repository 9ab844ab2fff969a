#pragma once

// The single-instance marker: an exclusive flock on a file named
// ApplicationTestMap. The kernel drops the lock when the process ends, so an
// instance that was killed never blocks the next start.

#include <string>

// $XDG_RUNTIME_DIR/ApplicationTestMap, else /tmp/ApplicationTestMap-<uid>.
std::string DefaultInstanceMarkerPath();

class InstanceMarker {
 public:
  InstanceMarker() = default;
  InstanceMarker(const InstanceMarker&) = delete;
  InstanceMarker& operator=(const InstanceMarker&) = delete;
  ~InstanceMarker() { Release(); }

  // False only when another instance holds the marker. A marker file that
  // cannot be opened at all does not keep the program from running.
  bool Claim(const std::string& path);
  bool Held() const { return fd_ >= 0; }
  void Release();

 private:
  int fd_ = -1;
};
