#include "platform/posix/libserialport_enumerator.h"

#include <libserialport.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

namespace velmora::platform {
namespace {

namespace fs = std::filesystem;

// Where udev keeps links named after the physical attachment point: a USB
// adapter without a serial number is told apart by the socket it sits in.
constexpr const char* kByPathDir = "/dev/serial/by-path";
constexpr const char* kTtyClassDir = "/sys/class/tty";

struct PortListDeleter {
  void operator()(sp_port** list) const { sp_free_port_list(list); }
};
using PortList = std::unique_ptr<sp_port*, PortListDeleter>;

std::string Text(const char* s) {
  return s != nullptr ? std::string(s) : std::string();
}

std::string LastErrorText() {
  char* message = sp_last_error_message();
  std::string text = Text(message);
  sp_free_error_message(message);
  return text.empty() ? "libserialport cannot list the ports" : text;
}

SerialTransport TransportOf(sp_port* port) {
  switch (sp_get_port_transport(port)) {
    case SP_TRANSPORT_USB:
      return SerialTransport::kUsb;
    case SP_TRANSPORT_BLUETOOTH:
      return SerialTransport::kBluetooth;
    case SP_TRANSPORT_NATIVE:
    default:
      return SerialTransport::kNative;
  }
}

std::string ByPathLinkOf(const std::string& device) {
  std::error_code ec;
  const fs::path target = fs::canonical(device, ec);
  if (ec) {
    return {};
  }
  for (fs::directory_iterator it(kByPathDir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code link_ec;
    if (fs::canonical(it->path(), link_ec) == target && !link_ec) {
      return it->path().string();
    }
  }
  return {};
}

SerialDeviceInfo Describe(sp_port* port) {
  SerialDeviceInfo info;
  info.path = Text(sp_get_port_name(port));
  info.description = Text(sp_get_port_description(port));
  info.transport = TransportOf(port);
  if (info.transport == SerialTransport::kUsb) {
    int vid = -1;
    int pid = -1;
    if (sp_get_port_usb_vid_pid(port, &vid, &pid) == SP_OK) {
      info.usb_vendor = vid;
      info.usb_product = pid;
    }
    info.usb_serial = Text(sp_get_port_usb_serial(port));
    info.stable_path = ByPathLinkOf(info.path);
  }
  return info;
}

bool IsRfcommName(const std::string& name) {
  constexpr std::string_view kPrefix = "rfcomm";
  if (name.size() <= kPrefix.size() || !name.starts_with(kPrefix)) {
    return false;
  }
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kPrefix.size()), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

// The rfcomm nodes of `dev_dir` not listed yet, in name order. A binding's
// number is the fitter's choice, so the node itself is its stable name.
void AddRfcommPorts(const std::string& dev_dir, std::vector<SerialDeviceInfo>& devices) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dev_dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (IsRfcommName(name)) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string path = (fs::path(dev_dir) / name).string();
    const bool listed = std::any_of(devices.begin(), devices.end(),
                                    [&](const SerialDeviceInfo& d) { return d.path == path; });
    if (!listed) {
      SerialDeviceInfo info;
      info.path = path;
      info.description = "Bluetooth serial port " + name;
      info.transport = SerialTransport::kBluetooth;
      info.stable_path = path;
      devices.push_back(std::move(info));
    }
  }
}

}  // namespace

bool LibserialportEnumerator::Available() {
  std::error_code ec;
  return fs::is_directory(kTtyClassDir, ec);
}

SerialListing LibserialportEnumerator::List() {
  SerialListing listing;
  sp_port** raw = nullptr;
  if (sp_list_ports(&raw) != SP_OK || raw == nullptr) {
    listing.error = LastErrorText();
    return listing;
  }
  const PortList ports(raw);
  for (sp_port** p = raw; *p != nullptr; ++p) {
    listing.devices.push_back(Describe(*p));
  }
  AddRfcommPorts(dev_dir_, listing.devices);
  listing.ok = true;
  return listing;
}

}  // namespace velmora::platform
