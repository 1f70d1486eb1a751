#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora::link {

// The file that maps the one-byte port numbers of the pipe messages to serial
// devices. It lives in the installation's bin folder and is shared by every
// link server, virtual ECU and tool of that installation.
inline constexpr const char* kPortRegistryFile = "PortReg.ini";
// Number 0 is the direct USB connection; numbers fit the one-byte port field.
inline constexpr int kUsbPortNumber = 0;
inline constexpr int kMaxPortNumber = 255;

struct PortEntry {
  int number = 0;
  std::string device;
  friend bool operator==(const PortEntry&, const PortEntry&) = default;
};

// The registry file of the installation whose bin folder is `bin_dir`.
[[nodiscard]] std::string PortRegistryPath(const std::string& bin_dir);

// Entries sorted by number. A missing or damaged file gives the entries that
// can still be read (lines that make no sense are skipped), never an error.
[[nodiscard]] std::vector<PortEntry> LoadPortRegistry(const std::string& file);

// The device of a port number. Number 0 falls back to the first USB serial
// device of the system when nothing is registered under it.
[[nodiscard]] std::optional<std::string> LookupPort(const std::string& file, int number);

// Registers a device and returns its number: a device already registered
// keeps its number, a new one gets the lowest free number from 1. A requested
// number (>= 0) is honoured when it is free, held by the same device, or held
// by a device that no longer exists; otherwise registration fails.
[[nodiscard]] std::optional<int> RegisterPort(const std::string& file, const std::string& device,
                                              int requested = -1);

// Removes every entry of the device; true when the file was updated or held
// no such entry.
[[nodiscard]] bool UnregisterPort(const std::string& file, const std::string& device);

}  // namespace velmora::link
