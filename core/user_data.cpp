#include "core/user_data.h"

#include <unistd.h>

#include <array>
#include <filesystem>
#include <string_view>
#include <utility>

#include "core/files.h"

namespace velmora::core {
namespace {

// The folders of the installation a run writes into. One the installation
// lacks is made at start, which needs only the root to be writable.
constexpr std::array<std::string_view, 4> kWrittenFolders = {"\\bin", "\\lng", "\\Data", "\\Tune"};

bool MayWrite(platform::SysIo& io, const std::string& folder) {
  return io.Access(folder.c_str(), W_OK | X_OK).value == 0;
}

bool InstallationWritable(const std::string& root, platform::SysIo& io) {
  if (!MayWrite(io, root.empty() ? std::string(1, kSep) : root)) {
    return false;
  }
  for (std::string_view folder : kWrittenFolders) {
    const std::string path = root + Suffix(folder);
    if (platform::PathExists(io, path.c_str()) && !MayWrite(io, path)) {
      return false;
    }
  }
  return true;
}

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && IsSeparator(path.back())) {
    path.pop_back();
  }
  return path;
}

// The user's data folder; empty when the environment names none. A relative
// XDG_DATA_HOME is not a usable one and is passed over.
std::string DataHome(const platform::UserEnvironment& env) {
  if (std::filesystem::path(env.xdg_data_home).is_absolute()) {
    return WithoutTrailingSeparators(env.xdg_data_home);
  }
  if (!env.home.empty()) {
    return WithoutTrailingSeparators(env.home) + Suffix("\\.local\\share");
  }
  return {};
}

bool CopyIfMissing(const std::string& from, const std::string& to) {
  std::string content;
  if (EsisteFile(to) || !ReadWholeFile(from, content)) {
    return true;
  }
  return WriteFileAtomic(to, content);
}

}  // namespace

std::string UserDataRoot(const std::string& root, const platform::UserEnvironment& env,
                         platform::SysIo& io) {
  if (!env.data_dir.empty()) {
    return WithoutTrailingSeparators(env.data_dir);
  }
  if (InstallationWritable(root, io)) {
    return root;
  }
  const std::string home = DataHome(env);
  return home.empty() ? root : home + std::string(1, kSep) + kUserDataFolder;
}

bool PrepareUserData(const PathTable& paths) {
  if (paths.user_root == paths.root) {
    return true;
  }
  std::error_code ec;
  std::filesystem::create_directories(paths.user_root, ec);
  bool ok = EsisteCartella(paths.user_root);
  for (std::string_view folder : kWrittenFolders) {
    ok = CreaCartella(paths.user_root + Suffix(folder)) && ok;
  }
  const PathTable shipped = FillPathTable(paths.root);
  for (const auto& [from, to] : {std::pair{shipped.osci_setup, paths.osci_setup},
                                 std::pair{shipped.language_choice, paths.language_choice},
                                 std::pair{shipped.port_com, paths.port_com},
                                 std::pair{shipped.manufacturers, paths.manufacturers}}) {
    (void)CopyIfMissing(from, to);
  }
  return ok;
}

PathTable InstallationPaths(const std::string& root, const platform::UserEnvironment& env,
                            platform::SysIo& io) {
  PathTable paths = FillPathTable(root, UserDataRoot(root, env, io));
  (void)PrepareUserData(paths);
  return paths;
}

}  // namespace velmora::core
