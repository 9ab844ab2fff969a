#include "platform/close_on_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <cerrno>

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void CloseOnTerminationSignals(QWidget* window) {
  if (g_pipe[0] >= 0) return;
  if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;

  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, window);
  QObject::connect(notifier, &QSocketNotifier::activated, window, [target = QPointer<QWidget>(window)] {
    char buffer[64];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    if (target) target->close();
  });

  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
}
