#include "link/port_discovery.h"

#include "link/port_com.h"
#include "link/port_devices.h"
#include "link/port_registry.h"

namespace velmora::link {
namespace {

std::vector<PortRecord> FallbackPorts() {
  std::vector<PortRecord> ports;
  for (int n = 0; n <= kFallbackLastPort; ++n) {
    ports.push_back({n, PortKind::kCom});
  }
  return ports;
}

// The ports of a successful listing, after the USB record.
void AppendListed(const DevLister& lister, std::vector<PortRecord>& ports) {
  for (int i = 1; i <= lister.ListCount(); ++i) {
    const DevInfo_Storage* device = lister.Item(i);
    const std::int32_t number = device->GetIDCOM();
    // A larger number would be cut to its low byte and open another port.
    if (number <= 0 || number > kMaxPortNumber) {
      continue;
    }
    ports.push_back({number, device->isBluetoothCOM() ? PortKind::kBluetooth : PortKind::kCom});
  }
}

std::vector<std::string> RefusedDevices(const DevLister& lister) {
  std::vector<std::string> refused;
  for (int i = 1; i <= lister.ListCount(); ++i) {
    if (lister.Item(i)->refused) {
      refused.push_back(lister.Item(i)->device);
    }
  }
  return refused;
}

}  // namespace

std::string SelectorLine(const PortRecord& port) {
  switch (port.kind) {
    case PortKind::kUsb:
      return std::string(port_text::kUsbLine);
    case PortKind::kBluetooth:
      return std::string(port_text::kComPrefix) + std::to_string(port.number) +
             std::string(port_text::kBluetoothSuffix);
    case PortKind::kCom:
    default:
      return std::string(port_text::kComPrefix) + std::to_string(port.number);
  }
}

PortListing ElencaPorte(platform::SerialEnumerator& enumerator, const std::string& registry_file,
                        platform::MessageBox& box, platform::SysIo& io) {
  PortListing listing;
  listing.ports.push_back({kUsbPortNumber, PortKind::kUsb});
  DevLister lister(enumerator, registry_file, io);
  lister.GetGUIDByName(kPortsClassName);
  if (!lister.StatusOk()) {
    box.Show(port_text::kGuidError, "", platform::BoxKind::Critical);
    listing.fallback = true;
  } else {
    lister.AddToList(lister.Guids().front());
    if (lister.StatusOk()) {
      AppendListed(lister, listing.ports);
      listing.refused_devices = RefusedDevices(lister);
    } else {
      box.Show(port_text::kListError, "", platform::BoxKind::Critical);
      listing.fallback = true;
    }
  }
  if (listing.fallback) {
    listing.ports = FallbackPorts();
  }
  listing.selector.text = port_text::kSelectorText;
  for (const PortRecord& port : listing.ports) {
    listing.selector.lines.push_back(SelectorLine(port));
  }
  return listing;
}

std::optional<std::size_t> FindPort(const std::vector<PortRecord>& ports, std::int32_t number) {
  for (std::size_t i = 0; i < ports.size(); ++i) {
    if (ports[i].number == number) {
      return i;
    }
  }
  return std::nullopt;
}

bool SelectPort(const PortListing& listing, std::size_t line, const std::string& port_com_file,
                core::SessionFlags& flags) {
  if (line >= listing.ports.size() ||
      !WriteRememberedPort(port_com_file, listing.ports[line].number)) {
    return false;
  }
  flags.ecu_lost = true;
  return true;
}

void ToggleConnection(core::SessionFlags& flags) {
  switch (flags.state) {
    case core::session_state::kDisconnected:
      flags.ecu_lost = true;
      break;
    case core::session_state::kSearching:
    case core::session_state::kConnected:
    case core::session_state::kOperation:
      flags.timeout = true;
      break;
    default:
      break;
  }
}

}  // namespace velmora::link
