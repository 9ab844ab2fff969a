#pragma once

// The search run on a thread of its own, for a window that must not wait:
// the port is driven from that thread alone; progress and the result are
// handed to callbacks there, which pass them on to the window's thread.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "ports/scale_detection.h"

class DetectionRun {
 public:
  using Progress = std::function<void(const DetectionStep&)>;
  using Done = std::function<void(const DetectionResult&)>;

  // Starts the search of `port` mapped by `portMapFile`. `done` is the last
  // call from the thread, also after Stop.
  DetectionRun(std::string port, std::string portMapFile, Progress progress, Done done,
               DetectionTiming timing = {});
  // Stops the search and waits for its thread.
  ~DetectionRun();
  DetectionRun(const DetectionRun&) = delete;
  DetectionRun& operator=(const DetectionRun&) = delete;

  // Any thread: ends the search soon, as Cancelled.
  void Stop();

 private:
  std::atomic<bool> stop_{false};
  std::mutex portMutex_;
  DetectionPort* port_ = nullptr;  // while the thread has one
  std::thread thread_;
};
