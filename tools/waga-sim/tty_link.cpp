#include "tools/waga-sim/tty_link.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "serial/posix/line_parameters.h"
#include "serial/posix/line_state.h"

namespace {

// Raw 8N1 bytes at the given speed (kept when the rate has no constant).
bool MakeRaw(int fd, int baud) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  const std::uint32_t code = baud > 0 ? RateCodeFor(static_cast<std::uint32_t>(baud)) : kArbitraryRateCode;
  if (code != kArbitraryRateCode) cfsetspeed(&tio, code);
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

class TtyLink final : public SimLink {
 public:
  bool Open(const std::string& device, int baud, std::string& error);
  ~TtyLink() override;
  bool SetWire(const LineFormat& sender, std::string& error) override;

 private:
  std::optional<LineFormat> ReceiverFormat() override;
  void Watch(std::vector<pollfd>& fds, Until until) override;
  bool Serve(const std::vector<pollfd>& fds, Until until) override;
  ssize_t WriteSome(std::string_view bytes) override { return write(fd_, bytes.data(), bytes.size()); }
  long Unread() override;

  int fd_ = -1;      // master side or device
  int holdFd_ = -1;  // a slave descriptor kept open: no hang-up between opens
  bool fdQuiet_ = false;  // the device hung up: stop polling it
};

bool TtyLink::Open(const std::string& device, int baud, std::string& error) {
  if (device.empty()) {
    fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (fd_ < 0 || grantpt(fd_) != 0 || unlockpt(fd_) != 0 || ptsname_r(fd_, name, sizeof name) != 0) {
      error = SystemError("cannot open a pseudo-terminal");
      return false;
    }
    path_ = name;
    holdFd_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (holdFd_ < 0 || !MakeRaw(holdFd_, baud)) {
      error = SystemError("cannot set up " + path_);
      return false;
    }
  } else {
    path_ = device;
    // Non-blocking from the start: a line without carrier must not hold the open.
    fd_ = open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0 || !MakeRaw(fd_, baud)) {
      error = SystemError("cannot open " + device);
      return false;
    }
  }
  if (fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK) != 0) {
    error = SystemError("cannot set up " + path_);
    return false;
  }
  SetPace(baud);
  return true;
}

bool TtyLink::SetWire(const LineFormat& sender, std::string& error) {
  if (holdFd_ >= 0) return SimLink::SetWire(sender, error);
  // A serial device has a real wire: its UART sends in the format.
  termios tio{};
  if (tcgetattr(fd_, &tio) == 0) {
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    tio.c_cflag |= kSizes[sender.dataBits - 5] | (sender.stopHalves > 2 ? CSTOPB : 0);
    if (sender.parity != Parity::None) tio.c_cflag |= PARENB;
    if (sender.parity == Parity::Odd || sender.parity == Parity::Mark) tio.c_cflag |= PARODD;
    if (sender.parity == Parity::Mark || sender.parity == Parity::Space) tio.c_cflag |= CMSPAR;
  }
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) {
    error = SystemError("cannot set the line format of " + path_);
    return false;
  }
  return SimLink::SetWire(sender, error);
}

std::optional<LineFormat> TtyLink::ReceiverFormat() {
  // The pseudo-terminal's settings are those the program gave its side;
  // Linux keeps the speed and the stop bits but forces 8 data bits without
  // parity whatever was asked.
  LineState state;
  if (holdFd_ < 0 || GetLineState(fd_, state) != 0) return std::nullopt;
  const std::uint32_t rate = OutputRate(state);
  if (rate == 0) return std::nullopt;
  LineFormat format;
  format.baud = rate;
  format.dataBits = (state.cflag & CSIZE) == CS5 ? 5 : (state.cflag & CSIZE) == CS6 ? 6
                    : (state.cflag & CSIZE) == CS7 ? 7 : 8;
  if (state.cflag & PARENB)
    format.parity = (state.cflag & CMSPAR) ? ((state.cflag & PARODD) ? Parity::Mark : Parity::Space)
                    : (state.cflag & PARODD) ? Parity::Odd : Parity::Even;
  format.stopHalves = (state.cflag & CSTOPB) ? 4 : 2;
  return format;
}

TtyLink::~TtyLink() {
  for (int fd : {holdFd_, fd_})
    if (fd >= 0) close(fd);
}

void TtyLink::Watch(std::vector<pollfd>& fds, Until until) {
  if (fdQuiet_ && until != Until::Room) return;
  fds.push_back({fd_, static_cast<short>(POLLIN | (until == Until::Room ? POLLOUT : 0)), 0});
}

bool TtyLink::Serve(const std::vector<pollfd>& fds, Until until) {
  const short revents = fds.front().revents;
  if (revents & POLLIN) {
    char buffer[512];
    for (ssize_t n; (n = read(fd_, buffer, sizeof buffer)) > 0;) Received({buffer, static_cast<std::size_t>(n)});
  }
  if (revents & (POLLHUP | POLLERR | POLLNVAL)) fdQuiet_ = true;
  return until == Until::Room && (revents & (POLLOUT | POLLERR | POLLHUP));
}

long TtyLink::Unread() {
  // The slave's input queue, or the device's output queue.
  int waiting = 0;
  const int fd = holdFd_ >= 0 ? holdFd_ : fd_;
  if (ioctl(fd, holdFd_ >= 0 ? FIONREAD : TIOCOUTQ, &waiting) != 0) return -1;
  return waiting;
}

}  // namespace

std::unique_ptr<SimLink> OpenTtyLink(const std::string& device, int baud, std::string& error) {
  auto link = std::make_unique<TtyLink>();
  if (!link->Open(device, baud, error)) return nullptr;
  return link;
}
