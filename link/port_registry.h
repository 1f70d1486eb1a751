#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process_list.h"
#include "platform/sys_io.h"

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

// A device registered by the process that serves it (a virtual ECU on its
// pseudo-terminal) names that process under "[COMn.PID]": "pid start-time".
// Once the process has ended the entry counts as gone, even when the node has
// meanwhile been given to someone else; every reader skips it and the next
// change of the file drops it. Entries without the key (real hardware, older
// files) have no registrant and stay until unregistered.
inline constexpr const char* kRegistrantKeySuffix = ".PID]";

// Entries sorted by number. A missing or damaged file gives the entries that
// can still be read (lines that make no sense are skipped), never an error.
// Entries whose registrant `processes` no longer lists are left out.
[[nodiscard]] std::vector<PortEntry> LoadPortRegistry(
    const std::string& file, platform::ProcessList& processes = platform::PosixProcessList());

// The device of a port number. Number 0 falls back to the first USB serial
// device of the system when nothing is registered under it.
[[nodiscard]] std::optional<std::string> LookupPort(
    const std::string& file, int number,
    platform::ProcessList& processes = platform::PosixProcessList());

// Registers a device and returns its number: a device already registered
// keeps its number, a new one gets the lowest free number from 1. A requested
// number (>= 0) is honoured when it is free, held by the same device, or held
// by a device that no longer exists; otherwise registration fails.
// The registry's lock and file writes go through `io`; whether registrants
// still run is asked of `processes`.
[[nodiscard]] std::optional<int> RegisterPort(
    const std::string& file, const std::string& device, int requested = -1,
    platform::SysIo& io = platform::PosixSysIo(),
    platform::ProcessList& processes = platform::PosixProcessList());

// As RegisterPort, with the calling process recorded as the device's
// registrant: the entry lives as long as the caller.
[[nodiscard]] std::optional<int> RegisterOwnPort(const std::string& file, const std::string& device,
                                                 int requested, platform::ProcessList& processes,
                                                 platform::SysIo& io = platform::PosixSysIo());

// Removes every entry of the device (and those of ended registrants); true
// when the file was updated or held no such entry.
[[nodiscard]] bool UnregisterPort(const std::string& file, const std::string& device,
                                  platform::SysIo& io = platform::PosixSysIo(),
                                  platform::ProcessList& processes = platform::PosixProcessList());

// Hardware found by enumeration carries an identity that outlives its device
// node (a USB adapter's vendor, product and serial number, say), so that the
// adapter keeps its number when it comes back as another /dev/ttyUSBn. The
// identity is kept in the registry under "[COMn.ID]", a key that readers
// which only know "[COMn]" pass over.
inline constexpr const char* kIdentityKeySuffix = ".ID]";
// The device line of a number whose hardware is absent while its last device
// node belongs to another device: it opens nothing and is never a path.
inline constexpr const char* kAbsentDevicePrefix = "absent:";

struct DeviceIdentity {
  std::string identity;
  std::string device;
};

struct PortIdentity {
  int number = 0;
  std::string identity;
  friend bool operator==(const PortIdentity&, const PortIdentity&) = default;
};

// The identities of the registry, by number; entries without one are left out.
[[nodiscard]] std::vector<PortIdentity> LoadPortIdentities(const std::string& file);

// Numbers the devices of one enumeration, in one locked read-modify-write:
// a known identity keeps its number and its entry follows the device to its
// current node; a device registered by node alone takes on its identity; a
// new one gets the lowest free number from 1. An entry whose node now belongs
// to another device keeps its number under an absent device line. The result
// holds one number per device, -1 where none could be given for good (a
// malformed identity or node, every number taken, or a registry that cannot
// be written, in which case only devices whose entries need no change are
// numbered).
[[nodiscard]] std::vector<int> AssignPortNumbers(
    const std::string& file, const std::vector<DeviceIdentity>& devices,
    platform::SysIo& io = platform::PosixSysIo(),
    platform::ProcessList& processes = platform::PosixProcessList());

// The readers above over a registry's text.
[[nodiscard]] std::vector<PortEntry> ParsePortRegistry(std::string_view text,
                                                       platform::ProcessList& processes);
[[nodiscard]] std::vector<PortIdentity> ParsePortIdentities(std::string_view text);
// The text a registry is written back as after being read: every entry
// that could be read, in number order.
[[nodiscard]] std::string NormalisedPortRegistry(std::string_view text);

}  // namespace velmora::link
