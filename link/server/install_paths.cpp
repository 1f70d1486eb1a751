#include "link/server/install_paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <array>
#include <cstdlib>
#include <limits>

#include "core/user_data.h"

namespace velmora::link::server {

std::optional<std::string> ExecutableDir() {
  std::array<char, 4096> buf{};
#ifdef _WIN32
  const long n = static_cast<long>(GetModuleFileNameA(nullptr, buf.data(), buf.size() - 1));
  const char* const separators = "/\\";
#else
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  const char* const separators = "/";
#endif
  if (n <= 0) {
    return std::nullopt;
  }
  const std::string exe(buf.data(), static_cast<std::size_t>(n));
  const std::size_t slash = exe.find_last_of(separators);
  if (slash == std::string::npos) {
    return std::nullopt;
  }
  return exe.substr(0, slash);
}

std::optional<std::string> RegistryFileFor(std::string_view explicit_root) {
  std::string root(explicit_root);
  if (root.empty()) {
    if (const char* env = std::getenv("VELMORA_ROOT"); env != nullptr) {
      root = env;
    }
  }
  if (root.empty()) {
    const std::optional<std::string> dir = ExecutableDir();
    if (!dir) {
      return std::nullopt;
    }
    root = core::RootFromExecutableDir(*dir);
  }
  return core::InstallationPaths(root).port_registry;
}

}  // namespace velmora::link::server
