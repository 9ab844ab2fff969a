#pragma once

#include <windows.h>

#include "serial/serial_device.h"

// The component's line and timeout records as the system's DCB and
// COMMTIMEOUTS. The component's record already has the DCB's layout, flags
// word included; the copy is checked field by field at compile time.
DCB SystemControlBlock(const DeviceControlBlock& block);
COMMTIMEOUTS SystemTimeouts(const DeviceTimeouts& timeouts);

// True when the state the driver reports after SetCommState has every field
// the component asks for: byte size, parity, stop bits, CTS and XON/XOFF
// flow control, parity checking, and a rate within 3% of the wanted one.
// Some drivers accept what their hardware cannot do and quietly keep
// something else. The DTR and RTS modes are not compared: drivers report
// the lines' present state there.
bool LineSettingsTook(const DCB& wanted, const DCB& applied);
