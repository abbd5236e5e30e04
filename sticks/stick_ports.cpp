// Telling a held port from a silent stick: each serial port of a stick that
// did not answer is opened once and closed again. Nothing is sent.
#include "serial/serial_port.h"
#include "sticks/stick_devices.h"

StickPortsCheck CheckStickPorts(const StickDevice& device) {
  StickPortsCheck result = kPortsNotChecked;
  for (int32_t i = 0; i < device.InterfaceCount && i < kMaxStickInterfaces; ++i) {
    const StickInterface& part = device.Interfaces[i];
    if (part.Kind != kInterfaceSerial || part.Name[0] == '\0') continue;
    char path[kStickNameSize + 8];
    DevicePathFromPortName(part.Name, path, sizeof path);
    const PortHandle port = OpenModemPort(path);
    if (port != kInvalidPort) {
      ClosePort(port);
      if (result == kPortsNotChecked) result = kPortsFree;
    } else if (LastPortOpenError() == kPortBusy) {
      return kPortsHeld;
    }
  }
  return result;
}
