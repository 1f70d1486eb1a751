#include <cstdlib>

#include "platform/user_environment.h"

namespace velmora::platform {
namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string FirstSet(const char* name, const char* fallback) {
  std::string value = Variable(name);
  return value.empty() ? Variable(fallback) : value;
}

}  // namespace

// Windows keeps a user's program data under LOCALAPPDATA, where the XDG
// data folder would be; the profile folder stands in for HOME.
UserEnvironment ReadUserEnvironment() {
  return {Variable("VELMORA_DATA_DIR"), FirstSet("XDG_DATA_HOME", "LOCALAPPDATA"),
          FirstSet("HOME", "USERPROFILE")};
}

}  // namespace velmora::platform
