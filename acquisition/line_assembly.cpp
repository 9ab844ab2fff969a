#include "acquisition/line_assembly.h"

#include <exception>
#include <string>

#include "acquisition/line_processing.h"

void ComPortDriver_inRxChar(int count, ScalePort& port, ScaleScreen& screen,
                            AcquisitionState& state) {
  if (count <= 0) return;
  std::string received;
  try {
    port.ReadString(received, count);
  } catch (const std::exception& e) {
    state.LastPortError = e.what();
    return;
  } catch (...) {
    return;
  }

  for (const char c : received) {
    if (c == '\n') {
      ProcessScaleLine(state.PendingLine, screen, state);
      state.PendingLine.clear();
    } else if (c != '\r') {
      state.PendingLine.push_back(c);
      if (state.PendingLine.size() >= kMaxPendingLine) {
        ProcessScaleLine(state.PendingLine, screen, state);
        state.PendingLine.clear();
      }
    }
  }
}
