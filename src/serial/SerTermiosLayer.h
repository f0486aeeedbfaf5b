#pragma once
// The device layer a port component installs for DeviceLayer = dlWin32,
// built on the termios device of src/os. It opens "\\.\COMn" as the device
// COMn is mapped to (the environment, the workstation's [Serial Ports]
// setting, or /dev/ttyS<n-1>), and puts the dispatcher's output ring in
// front of the device: its write copies into the ring and wakes the output
// thread, its status reports the ring's count, and its output flush waits
// for the output thread. DTR/DSR handshake, which termios lacks, is refused
// with ecNotSupported.
#include <string>

#include "SerDeviceLayer.h"

namespace ser {

TDeviceLayerTable termiosDeviceLayer();
void installTermiosDeviceLayer();

// The device path for a port name: "\\.\COMn" (or "COMn") through the COM
// mapping, any other name as given.
std::string devicePathForName(const std::string& Name);

}  // namespace ser
