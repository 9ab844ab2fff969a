#pragma once

// The search's port on the serial component: the device that the port's
// mapping chooses (porty.ini on Linux), opened at each speed and line format
// the search tries, its line format set in place of porty.ini's.

#include <atomic>
#include <memory>
#include <string>

#include "ports/scale_detection.h"
#include "serial/com_port.h"
#include "serial/serial_device.h"
#include "serial/ui_handoff.h"

class ComDetectionPort final : public DetectionPort {
 public:
  // Construct on the thread that runs the search: it serves the port's
  // deliveries while it reads. `port` is "COM2"; `portMapFile` the mapping
  // (Linux; empty: porty.ini in the working directory).
  ComDetectionPort(std::string port, std::string portMapFile);
  ~ComDetectionPort() override;

  DetectionClock::time_point Now() override { return DetectionClock::now(); }
  bool Open(std::uint32_t speed, const PortLineFormat& format, PortProblem& problem) override;
  void Read(DetectionClock::time_point deadline, std::string& bytes, std::uint32_t& lineErrors) override;
  bool Write(std::string_view bytes) override;
  void Close() override;
  void Wake() override;

 private:
  const std::string portName_;
  const std::string portMapFile_;
  QueuedUiHandoff handoff_;
  std::unique_ptr<TComPort> port_;
  // Filled by the port's handlers, which run on the searching thread.
  std::string received_;
  std::uint32_t errors_ = 0;
  std::atomic<bool> woken_{false};
};

// The device of this platform for a port whose line format is `format`
// whatever the port's settings elsewhere say.
std::unique_ptr<SerialDevice> DetectionDevice(const std::string& portMapFile, const PortLineFormat& format);

// Why the search could not open the port and what to do, in the words of
// the port diagnosis (UTF-8); porty.ini of the working directory.
std::string DetectionFailureText(const std::string& port, const DetectionResult& result);

// Makes the found format the port's: on Linux its porty.ini line's format
// (porty.ini in the working directory), on Windows the component's settings.
// False with the reason (UTF-8) when it could not be written.
bool ApplyDetectedFormat(TCustomComPort& port, const PortLineFormat& format, std::string& reason);

// Linux: writes the format into porty.ini's line of the port, keeping the
// line's flow control word; returns 0 or the errno, `written` the format
// text as written ("7E1 rtscts").
int WriteDetectedFormat(const std::string& portMapFile, const std::string& port,
                        const PortLineFormat& format, std::string& written);

// The component's settings for a speed in bits per second: an offered speed
// by its member, any other as the custom rate.
void SetPortSpeed(TCustomComPort& port, std::uint32_t speed);
