#include "link/server/logger.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace velmora::link::server {

Logger Logger::FromEnvironment() {
  return Logger(std::getenv("VELMORA_LINK_LOG") != nullptr);
}

void Logger::Line(std::string_view text) const {
  if (!enabled_) {
    return;
  }
  std::string line = "LinkSrv: ";
  line += text;
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace velmora::link::server
