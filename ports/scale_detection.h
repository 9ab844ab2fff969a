#pragma once

// "Wykryj": finds the speed, the line format and the protocol of the scale on
// a port by trying the offered speeds and the common line formats, listening
// and, where the scale keeps silent, asking it with each protocol's request.
// Written against a small port interface, so that the same search runs on
// the serial component and on a scripted port.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/port_hint.h"
#include "protocols/scale_protocol.h"
#include "serial/line_format.h"

using DetectionClock = std::chrono::steady_clock;

// What the search needs of a port. One thread drives it; Wake may be called
// from any thread.
class DetectionPort {
 public:
  virtual ~DetectionPort() = default;
  // The clock the listening windows are measured on.
  virtual DetectionClock::time_point Now() = 0;
  // Opens the port at the speed and format (flow control none). On failure
  // returns false with the component's failure in `problem`.
  virtual bool Open(std::uint32_t speed, const PortLineFormat& format, PortProblem& problem) = 0;
  // Waits until bytes or line errors arrive, the deadline passes or Wake is
  // called; appends what arrived. Returns at once when something is waiting.
  virtual void Read(DetectionClock::time_point deadline, std::string& bytes,
                    std::uint32_t& lineErrors) = 0;
  // Sends the bytes; false when the port refused them.
  virtual bool Write(std::string_view bytes) = 0;
  virtual void Close() = 0;
  // Makes a Read under way return.
  virtual void Wake() = 0;
};

// How long the search listens. The defaults suit a real scale; tests give
// shorter windows.
struct DetectionTiming {
  // The first listen at each speed, at 8N1: at the six likely ones, and at
  // the others where anything arrived at those.
  std::chrono::milliseconds listen{1100};
  // After a request: this, plus the time the requests take to send and two
  // characters more at the speed being tried.
  std::chrono::milliseconds reply{200};
  // Listening at a format the first listen pointed to, for its lines, plus
  // the time of two lines of kReplyChars characters; once bytes arrive, any
  // listen goes on for up to a line's time more, within this.
  std::chrono::milliseconds confirm{2500};
  // A scale that sends by itself may pause (between two reports, or while
  // the load stays): where bytes came at some speeds but no clear answer,
  // the speeds that may still be its own are listened to again, each
  // waiting this long for the scale's next bytes.
  std::chrono::milliseconds pause{12000};
};
inline constexpr int kReplyChars = 24;

// The speeds in the order tried: the likely ones first, then the rest of the
// offered speeds.
std::vector<std::uint32_t> DetectionSpeeds();
// 8N1, 7E1, 7O1, 8E1, 8O1, 7N2.
std::vector<PortLineFormat> DetectionFormats();
// "8N1", "7E1", ...
std::string FormatName(const PortLineFormat& format);
// The distinct requests of every protocol, in one burst.
std::string DetectionRequests();

// 7-bit characters (7E1, 7O1, 7N2) as 8N1 frames that are the same bits on
// the wire: the eighth bit carries the parity or the first stop bit.
std::string FramedAs8N1(std::string_view bytes, const PortLineFormat& format);

// The longest a search of a port that sends nothing can take: the six likely
// speeds listened to once, then every speed and format asked once.
std::chrono::milliseconds SilentSearchBound(const DetectionTiming& timing);

// Where the search is now, for a progress line.
struct DetectionStep {
  std::uint32_t speed = 0;
  PortLineFormat format;
  bool asking = false;  // a request was sent
  bool waiting = false;  // listening again, for a scale that paused
  int index = 0;        // tries made so far
};
// "9600 bps, 8N1: słucham" (UTF-8).
std::string StepText(const DetectionStep& step);

enum class DetectionOutcome { Found, NotFound, PortFailed, Cancelled };

struct DetectionResult {
  DetectionOutcome outcome = DetectionOutcome::NotFound;
  // Found: what was found. NotFound: the best guess, when `heard`.
  std::uint32_t speed = 0;
  PortLineFormat format;
  ProtocolId protocol = ProtocolId::Liczba;
  int confidence = 0;   // percent
  std::string sample;   // a line as received, CR and LF dropped
  bool heard = false;   // anything arrived at all
  // PortFailed: why the port could not be opened.
  PortProblem problem;
  std::uint32_t problemSpeed = 0;
  int tries = 0;
};

// The search. `stop` set (and the port woken) ends it as Cancelled with the
// port closed. `progress` is called before each try on the searching thread.
DetectionResult DetectScale(DetectionPort& port, const DetectionTiming& timing,
                            const std::atomic<bool>& stop,
                            const std::function<void(const DetectionStep&)>& progress = {});

// The result in Polish (UTF-8), for the tool and the dialog; PortFailed
// results are explained by the port diagnosis instead.
std::string DetectionText(const DetectionResult& result);

// How the lines of one listen read: the score the search compares.
struct ListenScore {
  int lines = 0;          // lines that ended
  int textLines = 0;      // of those, lines of printable text
  int readLines = 0;      // read by the best protocol as readings or statuses, or balance records
  int readings = 0;       // of those, readings and balance records
  ProtocolId protocol = ProtocolId::Liczba;
  // The protocols that read as many readings as `protocol` (bit per id).
  unsigned readers = 0;
  std::string sample;
  int Confidence() const;
  // Enough for an answer: lines that end, all of them text, most of them
  // read by one protocol, a reading among them.
  bool Clear() const;
};
// Scores bytes received at the right format with `lineErrors` line errors.
ListenScore ScoreListen(std::string_view bytes, std::uint32_t lineErrors);

// The formats that bytes received at 8N1 point to, most likely first: a
// 7-bit frame shows its parity or second stop bit as the eighth bit, and a
// frame with a parity bit after 8 data bits gives framing errors. Empty when
// the bytes are no text under any of them.
std::vector<PortLineFormat> FormatsSeenAt8N1(std::string_view bytes, std::uint32_t lineErrors);
