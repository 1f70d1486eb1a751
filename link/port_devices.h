#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_enumerator.h"
#include "platform/sys_io.h"

namespace velmora::link {

// The status texts of the device lister.
namespace dev_status {
inline constexpr std::string_view kOk = "OK";
inline constexpr std::string_view kIncorrectClassName = "Incorrect class name";
inline constexpr std::string_view kDeviceDesc = "SPDRP_DEVICEDESC ";
inline constexpr std::string_view kFriendlyName = "SPDRP_FRIENDLYNAME ";
inline constexpr std::string_view kClass = "SPDRP_CLASS ";
inline constexpr std::string_view kBadHandle = "(BAD HANDLE) ";
inline constexpr std::string_view kBufferTooSmall = "Buffer too small ";
}  // namespace dev_status

// The device class of serial ports and its class identifier.
inline constexpr std::string_view kPortsClassName = "Ports";
inline constexpr std::string_view kPortsClassGuid = "{4D36E978-E325-11CE-BFC1-08002BE10318}";

// What a virtual ECU's pseudo-terminal is called in the port list.
inline constexpr std::string_view kVirtualEcuDescription = "Virtual ECU";
inline constexpr std::string_view kPseudoTerminalDir = "/dev/pts/";

struct ClassGuid {
  std::string text;
  friend bool operator==(const ClassGuid&, const ClassGuid&) = default;
};

// One device of a class, as its properties read.
struct DevInfo_Storage {
  std::string description;
  std::string friendly_name;
  std::string class_name;
  std::string device;    // the node behind it, for display only
  bool refused = false;  // this user may not open the node (permissions)

  // The friendly name, or the description when there is none.
  [[nodiscard]] std::string GetName() const;
  // The decimal digits after the first "(COM" of the name, case ignored, up
  // to the first non-digit; -1 without "(COM", without digits, or beyond 32 bits.
  [[nodiscard]] std::int32_t GetIDCOM() const;
  // The name mentions Bluetooth, case ignored.
  [[nodiscard]] bool isBluetoothCOM() const;
};

// A fixed-size text cut at its first NUL.
[[nodiscard]] std::string StrTrimToNull(std::string_view buffer);

// The identity a device is numbered by in the port registry: a USB adapter
// with a serial number by vendor, product and serial; other hardware by the
// system's stable link to it, else by its node.
[[nodiscard]] std::string DeviceIdentityOf(const platform::SerialDeviceInfo& info);

// The devices of a class (DevLister). On this system the "Ports" class is
// the serial devices the enumerator finds, each named "<description> (COMn)"
// with n from the installation's port registry, which keeps n for the same
// device across runs and is what the link server opens n by; ports that are
// only in the registry (a virtual ECU's pseudo-terminal) follow.
class DevLister {
 public:
  // The registry's file calls and the test whether a node exists go
  // through `io`.
  DevLister(platform::SerialEnumerator& enumerator, std::string registry_file,
            platform::SysIo& io = platform::PosixSysIo());

  // Finds the class identifiers of a class name: status "OK", or "Incorrect
  // class name" for a class this system does not have.
  void GetGUIDByName(std::string_view class_name);

  // Adds the present devices of the class (every class when none is given).
  // Status "OK", or the failure's text when the devices cannot be listed.
  void AddToList(const std::optional<ClassGuid>& guid);

  [[nodiscard]] int ListCount() const { return static_cast<int>(items_.size()); }
  // 1-based; nullptr outside 1..ListCount().
  [[nodiscard]] const DevInfo_Storage* Item(int index) const;
  [[nodiscard]] const std::string& Status() const { return status_; }
  [[nodiscard]] bool StatusOk() const { return status_ == dev_status::kOk; }
  // The class identifiers found by GetGUIDByName (GUID_Storage).
  [[nodiscard]] const std::vector<ClassGuid>& Guids() const { return guids_; }

 private:
  void AddEnumerated(const std::vector<platform::SerialDeviceInfo>& devices,
                     std::vector<std::string>& numbered_nodes);
  void AddRegisteredOnly(const std::vector<std::string>& numbered_nodes);

  platform::SerialEnumerator& enumerator_;
  std::string registry_file_;
  platform::SysIo& io_;
  std::vector<ClassGuid> guids_;
  std::vector<DevInfo_Storage> items_;
  std::string status_;
};

}  // namespace velmora::link
