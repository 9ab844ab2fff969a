#pragma once

#include <windows.h>

#include "serial/serial_device.h"

// The component's line and timeout records as the system's DCB and
// COMMTIMEOUTS. The component's record already has the DCB's layout, flags
// word included; the copy is checked field by field at compile time.
DCB SystemControlBlock(const DeviceControlBlock& block);
COMMTIMEOUTS SystemTimeouts(const DeviceTimeouts& timeouts);
