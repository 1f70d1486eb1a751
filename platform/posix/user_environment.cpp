#include "platform/user_environment.h"

#include <cstdlib>

namespace velmora::platform {
namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

UserEnvironment ReadUserEnvironment() {
  return {Variable("VELMORA_DATA_DIR"), Variable("XDG_DATA_HOME"), Variable("HOME")};
}

}  // namespace velmora::platform
