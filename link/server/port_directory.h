#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmora::link::server {

// Where the server finds the device behind a port number.
class PortDirectory {
 public:
  virtual ~PortDirectory() = default;
  [[nodiscard]] virtual std::optional<std::string> Device(int number) = 0;
  // The numbers a search tries, in order.
  [[nodiscard]] virtual std::vector<int> Numbers() = 0;
};

// The installation's port registry file, read afresh on every question so
// that virtual ECUs started after the server are found.
class RegistryPortDirectory final : public PortDirectory {
 public:
  explicit RegistryPortDirectory(std::string registry_file) : file_(std::move(registry_file)) {}
  [[nodiscard]] std::optional<std::string> Device(int number) override;
  [[nodiscard]] std::vector<int> Numbers() override;

 private:
  std::string file_;
};

}  // namespace velmora::link::server
