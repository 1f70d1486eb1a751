#include "link/server/port_directory.h"

#include <algorithm>

#include "link/port_registry.h"

namespace velmora::link::server {

std::optional<std::string> RegistryPortDirectory::Device(int number) {
  return LookupPort(file_, number);
}

std::vector<int> RegistryPortDirectory::Numbers() {
  std::vector<int> numbers;
  for (const PortEntry& e : LoadPortRegistry(file_)) {
    numbers.push_back(e.number);
  }
  if (std::find(numbers.begin(), numbers.end(), kUsbPortNumber) == numbers.end() &&
      LookupPort(file_, kUsbPortNumber)) {
    numbers.insert(numbers.begin(), kUsbPortNumber);
  }
  return numbers;
}

}  // namespace velmora::link::server
