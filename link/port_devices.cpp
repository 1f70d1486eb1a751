#include "link/port_devices.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

#include "core/text.h"
#include "link/port_registry.h"
#include "link/serial_access.h"

namespace velmora::link {
namespace {

constexpr std::string_view kComMarker = "(COM";
constexpr std::string_view kBluetoothWord = "BLUETOOTH";
constexpr std::string_view kBluetoothPrefix = "Bluetooth ";
constexpr std::string_view kUsbIdentityPrefix = "usb:";
constexpr std::string_view kGenericDescription = "Serial port";

// One line of printable text: control characters would break the registry's
// line structure, blanks at the ends would not survive a reload.
std::string Clean(std::string_view raw) {
  std::string text = StrTrimToNull(raw);
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      c = '_';
    }
  }
  return std::string(core::Trim(text));
}

// A description of our own must not carry a "(COM" of its own: the number
// read from the name would be the description's, not the registry's.
std::string WithoutComMarker(std::string text) {
  const std::string upper = core::ToUpper(text);
  for (std::size_t pos = upper.find(kComMarker); pos != std::string::npos;
       pos = upper.find(kComMarker, pos + 1)) {
    text[pos] = '[';
  }
  return text;
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Hex4(int value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(value) & 0xFFFFU);
  return buf;
}

std::string DescriptionOf(const platform::SerialDeviceInfo& info) {
  std::string text = Clean(info.description);
  if (text.empty()) {
    text = Clean(BaseName(info.path));
  }
  if (text.empty()) {
    text = kGenericDescription;
  }
  // The port list tells Bluetooth ports by their name.
  if (info.transport == platform::SerialTransport::kBluetooth &&
      core::ToUpper(text).find(kBluetoothWord) == std::string::npos) {
    text = std::string(kBluetoothPrefix) + text;
  }
  return WithoutComMarker(std::move(text));
}

std::string NumberedName(const std::string& description, int number) {
  return description + " " + std::string(kComMarker) + std::to_string(number) + ")";
}

}  // namespace

std::string DevInfo_Storage::GetName() const {
  return friendly_name.empty() ? description : friendly_name;
}

std::int32_t DevInfo_Storage::GetIDCOM() const {
  const std::string name = core::ToUpper(GetName());
  const std::size_t pos = name.find(kComMarker);
  if (pos == std::string::npos) {
    return -1;
  }
  std::int64_t value = 0;
  bool any = false;
  for (std::size_t i = pos + kComMarker.size(); i < name.size(); ++i) {
    const char c = name[i];
    if (c < '0' || c > '9') {
      break;
    }
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) {
      return -1;
    }
    any = true;
  }
  return any ? static_cast<std::int32_t>(value) : -1;
}

bool DevInfo_Storage::isBluetoothCOM() const {
  return core::ToUpper(GetName()).find(kBluetoothWord) != std::string::npos;
}

std::string StrTrimToNull(std::string_view buffer) {
  return std::string(buffer.substr(0, buffer.find('\0')));
}

std::string DeviceIdentityOf(const platform::SerialDeviceInfo& info) {
  const std::string serial = Clean(info.usb_serial);
  if (info.transport == platform::SerialTransport::kUsb && !serial.empty()) {
    return std::string(kUsbIdentityPrefix) + Hex4(info.usb_vendor) + ":" + Hex4(info.usb_product) +
           ":" + serial;
  }
  const std::string stable = Clean(info.stable_path);
  return stable.empty() ? Clean(info.path) : stable;
}

DevLister::DevLister(platform::SerialEnumerator& enumerator, std::string registry_file,
                     platform::SysIo& io)
    : enumerator_(enumerator), registry_file_(std::move(registry_file)), io_(io) {}

void DevLister::GetGUIDByName(std::string_view class_name) {
  guids_.clear();
  if (!core::EqualsNoCase(class_name, kPortsClassName) || !enumerator_.Available()) {
    status_ = dev_status::kIncorrectClassName;
    return;
  }
  guids_.push_back({std::string(kPortsClassGuid)});
  status_ = dev_status::kOk;
}

void DevLister::AddToList(const std::optional<ClassGuid>& guid) {
  // Serial ports are the only class this system lists; another class simply
  // has no devices.
  if (guid && guid->text != kPortsClassGuid) {
    status_ = dev_status::kOk;
    return;
  }
  const platform::SerialListing listing = enumerator_.List();
  if (!listing.ok) {
    status_ = std::string(dev_status::kBadHandle) + listing.error;
    return;
  }
  std::vector<std::string> numbered_nodes;
  AddEnumerated(listing.devices, numbered_nodes);
  AddRegisteredOnly(numbered_nodes);
  for (DevInfo_Storage& item : items_) {
    item.refused = AccessRefused(io_, item.device);
  }
  status_ = dev_status::kOk;
}

const DevInfo_Storage* DevLister::Item(int index) const {
  if (index < 1 || index > ListCount()) {
    return nullptr;
  }
  return &items_[static_cast<std::size_t>(index - 1)];
}

void DevLister::AddEnumerated(const std::vector<platform::SerialDeviceInfo>& devices,
                              std::vector<std::string>& numbered_nodes) {
  std::vector<DeviceIdentity> to_number;
  for (const auto& info : devices) {
    if (Clean(info.friendly_name).empty()) {
      to_number.push_back({DeviceIdentityOf(info), Clean(info.path)});
    }
  }
  const std::vector<int> numbers =
      to_number.empty() ? std::vector<int>{} : AssignPortNumbers(registry_file_, to_number, io_);
  std::size_t next = 0;
  for (const auto& info : devices) {
    DevInfo_Storage item;
    item.class_name = kPortsClassName;
    item.device = Clean(info.path);
    const std::string system_name = Clean(info.friendly_name);
    if (!system_name.empty()) {
      item.description = Clean(info.description);
      item.friendly_name = system_name;
      numbered_nodes.push_back(item.device);
    } else {
      item.description = DescriptionOf(info);
      const int number = next < numbers.size() ? numbers[next] : -1;
      ++next;
      if (number >= 0) {
        item.friendly_name = NumberedName(item.description, number);
        numbered_nodes.push_back(item.device);
      }
    }
    items_.push_back(std::move(item));
  }
}

void DevLister::AddRegisteredOnly(const std::vector<std::string>& numbered_nodes) {
  const std::vector<PortIdentity> identities = LoadPortIdentities(registry_file_);
  for (const PortEntry& e : LoadPortRegistry(registry_file_)) {
    const bool hardware = std::any_of(identities.begin(), identities.end(),
                                      [&](const PortIdentity& p) { return p.number == e.number; });
    const bool listed =
        std::find(numbered_nodes.begin(), numbered_nodes.end(), e.device) != numbered_nodes.end();
    // Number 0 is the direct USB connection, which heads the port list anyway;
    // hardware that enumeration did not find is absent.
    if (e.number == kUsbPortNumber || hardware || listed ||
        !platform::PathExists(io_, e.device.c_str())) {
      continue;
    }
    DevInfo_Storage item;
    item.class_name = kPortsClassName;
    item.device = e.device;
    item.description = e.device.starts_with(kPseudoTerminalDir)
                           ? std::string(kVirtualEcuDescription)
                           : WithoutComMarker(Clean(BaseName(e.device)));
    item.friendly_name = NumberedName(item.description, e.number);
    items_.push_back(std::move(item));
  }
}

}  // namespace velmora::link
