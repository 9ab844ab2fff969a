#include "ports/detection_port.h"
#include "serial/system_serial_device.h"

// The port's own settings carry the line format here.
std::unique_ptr<SerialDevice> DetectionDevice(const std::string&, const PortLineFormat&) {
  return CreateSystemSerialDevice();
}

bool ApplyDetectedFormat(TCustomComPort& port, const PortLineFormat& format, std::string&) {
  port.SetDataBits(format.dataBits == 7 ? dbSeven : dbEight);
  port.Parity().SetBits(static_cast<TParityBits>(format.parity));
  port.SetStopBits(format.stopBits == 2 ? sbTwoStopBits : sbOneStopBit);
  return true;
}
