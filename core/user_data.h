#pragma once

#include <string>

#include "core/paths.h"
#include "platform/sys_io.h"
#include "platform/user_environment.h"

namespace velmora::core {

// The name of the program's folder inside the user's data folder.
inline constexpr const char* kUserDataFolder = "velmora";

// The folder a run writes its files below (remembered port, port registry,
// language choice, logger set-up and scratch files, calibrations, tuning
// state): VELMORA_DATA_DIR when it is set; the installation root when this
// user may write to it; otherwise "velmora" in the user's data folder
// ($XDG_DATA_HOME, or $HOME/.local/share). Without any of these the root is
// kept, and writing fails there as it would have anyway.
[[nodiscard]] std::string UserDataRoot(const std::string& root,
                                       const platform::UserEnvironment& env, platform::SysIo& io);

// Makes the user-data root with its folders and copies into it the shipped
// files a run rewrites (logger set-up, language choice, remembered port,
// manufacturer list) that it does not hold yet, so the user starts from the
// installation's defaults. Nothing to do when the root is the installation
// itself. False when a folder cannot be made.
bool PrepareUserData(const PathTable& paths);

// The path table every program fills once at start-up: the installation at
// `root`, its written files below the resolved and prepared user-data root.
[[nodiscard]] PathTable InstallationPaths(
    const std::string& root, const platform::UserEnvironment& env = platform::ReadUserEnvironment(),
    platform::SysIo& io = platform::PosixSysIo());

}  // namespace velmora::core
