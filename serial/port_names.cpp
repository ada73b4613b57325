#include "serial/port_names.h"

#include <cstdlib>

namespace crvl {
namespace {

#if !defined(_WIN32) && !defined(__APPLE__)
// The last port of each kind of device in the map; the modem-class adapters
// take the rest.
constexpr int kLastBuiltInPort = 4;
constexpr int kLastUsbSerialPort = 12;
#endif

} // namespace

std::string DefaultPortDevice(int portNumber) {
    if (portNumber < kFirstPortNumber || portNumber > kLastPortNumber)
        return {};
#if defined(_WIN32)
    // The name Device Manager shows; the port opens it in the device
    // namespace ("\\.\COM10"), without which COM10 and above do not open.
    return "COM" + std::to_string(portNumber);
#elif defined(__APPLE__)
    return "/dev/cu.usbserial-" + std::to_string(portNumber);
#else
    // Built-in serial ports first, then USB serial adapters (the usual way a
    // trainer is connected today), then USB modem-class adapters.
    if (portNumber <= kLastBuiltInPort)
        return "/dev/ttyS" + std::to_string(portNumber - kFirstPortNumber);
    if (portNumber <= kLastUsbSerialPort)
        return "/dev/ttyUSB" + std::to_string(portNumber - kLastBuiltInPort - 1);
    return "/dev/ttyACM" + std::to_string(portNumber - kLastUsbSerialPort - 1);
#endif
}

std::string PortDevicePath(int portNumber) {
    if (portNumber < kFirstPortNumber || portNumber > kLastPortNumber)
        return {};
    const std::string variable = "CRVL_COM" + std::to_string(portNumber);
    if (const char* value = std::getenv(variable.c_str()); value != nullptr && *value != '\0')
        return value;
    return DefaultPortDevice(portNumber);
}

std::string SerialAccessAdviceText(const std::string& device, const std::string& group) {
    return "You may not use " + device + ": it belongs to the group \"" + group +
           "\". Ask your administrator to add you (sudo adduser $USER " + group +
           "), then log out and back in.";
}

std::string SerialOwnerOnlyAdviceText(const std::string& device, const std::string& owner) {
    return "You may not use " + device + ": only its owner, " + owner +
           ", may. Ask your administrator for access.";
}

} // namespace crvl
