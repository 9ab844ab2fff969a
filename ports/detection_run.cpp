#include "ports/detection_run.h"

#include "ports/detection_port.h"

DetectionRun::DetectionRun(std::string port, std::string portMapFile, Progress progress, Done done,
                           DetectionTiming timing)
    : thread_([this, port = std::move(port), portMapFile = std::move(portMapFile),
               progress = std::move(progress), done = std::move(done), timing] {
        DetectionResult result;
        {
          // Made on this thread: it serves the port's deliveries here.
          ComDetectionPort device(port, portMapFile);
          {
            std::lock_guard lock(portMutex_);
            port_ = &device;
          }
          result = DetectScale(device, timing, stop_, progress);
          std::lock_guard lock(portMutex_);
          port_ = nullptr;
        }
        if (done) done(result);
      }) {}

DetectionRun::~DetectionRun() {
  Stop();
  thread_.join();
}

void DetectionRun::Stop() {
  stop_ = true;
  std::lock_guard lock(portMutex_);
  if (port_ != nullptr) port_->Wake();
}
