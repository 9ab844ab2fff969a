#include "platform/close_on_signals.h"

// Windows ends a windowed program by sending its windows WM_CLOSE (log-off,
// shut-down, the task manager), which Qt already turns into the window's
// close event; there are no termination signals to catch.
void CloseOnTerminationSignals(QWidget*) {}
