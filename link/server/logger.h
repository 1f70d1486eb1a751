#pragma once

#include <string_view>

namespace velmora::link::server {

// Diagnostic lines on standard error. Silent unless asked for, because the
// workstation never reads the server's error output.
class Logger {
 public:
  explicit Logger(bool enabled) : enabled_(enabled) {}
  // Enabled when VELMORA_LINK_LOG is set.
  [[nodiscard]] static Logger FromEnvironment();
  [[nodiscard]] bool Enabled() const { return enabled_; }
  void Line(std::string_view text) const;

 private:
  bool enabled_;
};

}  // namespace velmora::link::server
