#include "ports/detection_port.h"
#include "ports/port_hint.h"
#include "serial/posix/mapped_serial_device.h"
#include "serial/posix/porty_ini.h"

std::unique_ptr<SerialDevice> DetectionDevice(const std::string& portMapFile, const PortLineFormat& format) {
  auto device = std::make_unique<MappedSerialDevice>(portMapFile.empty() ? kPortMapFileName : portMapFile);
  device->OverrideLineFormat(format);
  return device;
}

int WriteDetectedFormat(const std::string& portMapFile, const std::string& port,
                        const PortLineFormat& format, std::string& written) {
  std::string text;
  if (int error = ReadPortMapFile(portMapFile, text)) return error;
  PortLineFormat old;
  std::string ignored;
  ParseLineFormat(MappingForPort(port, text).format, old, ignored);
  written = FormatName(format);
  if (old.flow == LineFlow::RtsCts) written += " rtscts";
  if (old.flow == LineFlow::XonXoff) written += " xonxoff";
  return WritePortMapFormat(portMapFile, port, written);
}

bool ApplyDetectedFormat(TCustomComPort& port, const PortLineFormat& format, std::string& reason) {
  std::string written;
  if (int error = WriteDetectedFormat(kPortMapFileName, port.Port(), format, written)) {
    reason = std::string("Nie można zapisać ") + kPortMapFileName + " (" + SystemErrorText(error) + ").";
    return false;
  }
  return true;
}
