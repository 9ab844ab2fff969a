#pragma once

class QWidget;

// SIGTERM and SIGINT close `window` as its close button does. The handler
// only writes a byte into a pipe; the UI thread reads it from its event loop
// and closes the window there. Call once, after the window exists.
void CloseOnTerminationSignals(QWidget* window);
