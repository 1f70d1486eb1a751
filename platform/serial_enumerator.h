#pragma once

#include <string>
#include <vector>

namespace velmora::platform {

// How a serial device is attached.
enum class SerialTransport { kNative, kUsb, kBluetooth };

// One serial device as the system knows it.
struct SerialDeviceInfo {
  std::string path;         // the device node that opens it, e.g. /dev/ttyUSB0
  std::string description;  // what the device calls itself
  SerialTransport transport = SerialTransport::kNative;
  // USB only; -1 and empty when unknown.
  int usb_vendor = -1;
  int usb_product = -1;
  std::string usb_serial;
  // A path that names the device by where or what it is rather than by the
  // order it was found in (e.g. a /dev/serial/by-path link); empty when the
  // system offers none.
  std::string stable_path;
  // The name the system's own device database gives the port, with its
  // "(COMn)". Systems without one leave it empty and the port registry
  // numbers the device instead.
  std::string friendly_name;
};

struct SerialListing {
  bool ok = false;
  std::vector<SerialDeviceInfo> devices;  // in the order the system reports them
  std::string error;                      // why the listing failed
};

// The serial devices present on this machine.
class SerialEnumerator {
 public:
  virtual ~SerialEnumerator() = default;
  // False when this system offers no way to list serial devices at all.
  [[nodiscard]] virtual bool Available() = 0;
  [[nodiscard]] virtual SerialListing List() = 0;
};

}  // namespace velmora::platform
