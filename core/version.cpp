#include "core/version.h"

#ifndef VELMORA_VERSION_MAJOR
#define VELMORA_VERSION_MAJOR 1
#define VELMORA_VERSION_MINOR 0
#define VELMORA_VERSION_PATCH 0
#endif

namespace velmora::core {

namespace {
constexpr bool kBetaBuild = true;
constexpr const char* kBuildDate = "18/09/2019";
}  // namespace

std::string VersionText() {
  std::string v = " " + std::to_string(VELMORA_VERSION_MAJOR) + "." +
                  std::to_string(VELMORA_VERSION_MINOR) + "." +
                  std::to_string(VELMORA_VERSION_PATCH) + " - " + kBuildDate;
  if (kBetaBuild) {
    v += " *** BETA VERSION *** ";
  }
  return v;
}

}  // namespace velmora::core
