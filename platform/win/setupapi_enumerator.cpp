#include "platform/win/win_handles.h"
// Needs the types of <windows.h>, included above.
#include <setupapi.h>

#include <cstdio>
#include <string>

#include "platform/posix/libserialport_enumerator.h"

// Serial port listing of the Windows build (declared with the POSIX one,
// which the front ends include by that name): the device installer's
// "Ports" class, the names the Device Manager shows.

namespace velmora::platform {

namespace {

// The "Ports" (COM and LPT) setup class.
constexpr GUID kPortsClass = {
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

std::string Property(HDEVINFO set, SP_DEVINFO_DATA& dev, DWORD property) {
  char buf[512] = {};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyA(set, &dev, property, &type, reinterpret_cast<BYTE*>(buf),
                                         sizeof buf - 1, nullptr)) {
    return {};
  }
  return buf;  // the first string of a multi-string is the one that matters
}

std::string PortName(HDEVINFO set, SP_DEVINFO_DATA& dev) {
  const HKEY key = SetupDiOpenDevRegKey(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) {
    return {};
  }
  char name[64] = {};
  DWORD size = sizeof name - 1;
  DWORD type = 0;
  const LSTATUS st =
      RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
  RegCloseKey(key);
  return st == ERROR_SUCCESS && type == REG_SZ ? std::string(name) : std::string();
}

std::string InstanceId(HDEVINFO set, SP_DEVINFO_DATA& dev) {
  char id[512] = {};
  return SetupDiGetDeviceInstanceIdA(set, &dev, id, sizeof id, nullptr) ? std::string(id)
                                                                        : std::string();
}

// Transport and USB ids from the hardware id ("USB\VID_0403&PID_6001...").
void Attachment(const std::string& hardware_id, SerialDeviceInfo& info) {
  if (hardware_id.rfind("USB", 0) == 0 || hardware_id.rfind("FTDIBUS", 0) == 0) {
    info.transport = SerialTransport::kUsb;
    const std::size_t vid = hardware_id.find("VID_");
    const std::size_t pid = hardware_id.find("PID_");
    unsigned v = 0;
    unsigned p = 0;
    if (vid != std::string::npos && std::sscanf(hardware_id.c_str() + vid + 4, "%4x", &v) == 1) {
      info.usb_vendor = static_cast<int>(v);
    }
    if (pid != std::string::npos && std::sscanf(hardware_id.c_str() + pid + 4, "%4x", &p) == 1) {
      info.usb_product = static_cast<int>(p);
    }
  } else if (hardware_id.rfind("BTHENUM", 0) == 0) {
    info.transport = SerialTransport::kBluetooth;
  }
}

}  // namespace

bool LibserialportEnumerator::Available() {
  return true;
}

SerialListing LibserialportEnumerator::List() {
  SerialListing out;
  const HDEVINFO set = SetupDiGetClassDevsA(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) {
    out.error = "the device installer cannot list the ports";
    return out;
  }
  SP_DEVINFO_DATA dev{};
  dev.cbSize = sizeof dev;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &dev); ++i) {
    const std::string port = PortName(set, dev);
    if (port.rfind("COM", 0) != 0) {
      continue;  // printer ports share the class
    }
    SerialDeviceInfo info;
    info.path = "\\\\.\\" + port;
    info.description = Property(set, dev, SPDRP_DEVICEDESC);
    info.friendly_name = Property(set, dev, SPDRP_FRIENDLYNAME);
    if (info.friendly_name.empty()) {
      info.friendly_name = info.description + " (" + port + ")";
    }
    info.stable_path = InstanceId(set, dev);
    Attachment(Property(set, dev, SPDRP_HARDWAREID), info);
    out.devices.push_back(std::move(info));
  }
  SetupDiDestroyDeviceInfoList(set);
  out.ok = true;
  return out;
}

}  // namespace velmora::platform
