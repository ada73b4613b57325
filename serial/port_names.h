#pragma once

#include <string>

namespace crvl {

// Serial port numbers run from 1 to 16, as on the trainer's cable labels
// ("COM1".."COM16").
inline constexpr int kFirstPortNumber = 1;
inline constexpr int kLastPortNumber = 16;

// The device that port number n stands for. The environment variable
// CRVL_COM<n> wins when it is set and not empty; otherwise the built-in map
// applies (DefaultPortDevice). An empty result means the number maps to
// nothing and opening it fails like a missing port.
std::string PortDevicePath(int portNumber);

// The built-in map without the environment:
//   Linux:   COM1..COM4 -> /dev/ttyS0..3, COM5..COM12 -> /dev/ttyUSB0..7,
//            COM13..COM16 -> /dev/ttyACM0..3
//   macOS:   COM1..COM16 -> /dev/cu.usbserial-<n>   (set CRVL_COM<n> instead)
//   Windows: "COM1".."COM16" (opened as "\\.\COMn", so COM10 and above work)
std::string DefaultPortDevice(int portNumber);

// The advice for a user who may not open device, whose group is group: one
// sentence naming both, and how to become a member.
std::string SerialAccessAdviceText(const std::string& device, const std::string& group);
// The same for a device only its owner may use: no group would help.
std::string SerialOwnerOnlyAdviceText(const std::string& device, const std::string& owner);

} // namespace crvl
