#pragma once
// Ends a benchmark program's event loop on SIGTERM or SIGINT, so that it
// closes its port and files the normal way when the feeder stops it. The
// signal handler only writes a byte into a socket pair; the loop reads it.

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <memory>

namespace quit_on_signal_detail {
inline int wakeFds[2] = {-1, -1};
inline void OnSignal(int) {
  const char c = 0;
  [[maybe_unused]] const ssize_t written = ::write(wakeFds[1], &c, 1);
}
}  // namespace quit_on_signal_detail

// Returns the notifier that quits `app`, or null if the socket pair failed.
inline std::unique_ptr<QSocketNotifier> QuitOnSignal(QCoreApplication& app) {
  using namespace quit_on_signal_detail;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeFds) != 0) return nullptr;
  auto notifier = std::make_unique<QSocketNotifier>(wakeFds[0], QSocketNotifier::Read);
  QObject::connect(notifier.get(), &QSocketNotifier::activated, &app, &QCoreApplication::quit);
  ::signal(SIGTERM, OnSignal);
  ::signal(SIGINT, OnSignal);
  return notifier;
}
