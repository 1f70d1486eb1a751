#pragma once

// A serial device list that tests set up and change between calls.

#include <string>
#include <utility>
#include <vector>

#include "platform/serial_enumerator.h"

namespace velmora::platform {

class FakeSerialEnumerator final : public SerialEnumerator {
 public:
  [[nodiscard]] bool Available() override { return available; }
  [[nodiscard]] SerialListing List() override {
    ++listings;
    SerialListing listing;
    listing.ok = error.empty();
    listing.error = error;
    if (listing.ok) {
      listing.devices = devices;
    }
    return listing;
  }

  // A device as a Linux system reports it: no friendly name.
  static SerialDeviceInfo Usb(std::string path, std::string description, int vendor, int product,
                              std::string serial) {
    SerialDeviceInfo d;
    d.path = std::move(path);
    d.description = std::move(description);
    d.transport = SerialTransport::kUsb;
    d.usb_vendor = vendor;
    d.usb_product = product;
    d.usb_serial = std::move(serial);
    return d;
  }
  static SerialDeviceInfo Named(std::string friendly_name,
                                SerialTransport transport = SerialTransport::kNative) {
    SerialDeviceInfo d;
    d.path = "/dev/fake" + std::to_string(next_named_++);
    d.description = "Fake serial device";
    d.transport = transport;
    d.friendly_name = std::move(friendly_name);
    return d;
  }

  bool available = true;
  std::string error;  // non-empty: the listing fails with this text
  std::vector<SerialDeviceInfo> devices;
  int listings = 0;

 private:
  static inline int next_named_ = 0;
};

}  // namespace velmora::platform
