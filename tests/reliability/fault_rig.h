#pragma once

// What one fault scenario needs around the real processes: a private
// installation with the files a fitter would have in it, the tool started
// under a file-size limit or with a read-only folder, the link server found
// by its path, and a picture of every file to prove none was damaged.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/port_com.h"
#include "tests/e2e/e2e_support.h"

namespace velmora::reliability {

using e2e::Process;
using e2e::TempRoot;
namespace fs = std::filesystem;

// Every file below `root` with its bytes, the program copies and the port
// registry (which the virtual ECU rewrites as it comes and goes) left out.
inline std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(root, ec)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || name == "LinkSrv" || name == "velmora-cli" ||
        name == "PortReg.ini") {
      continue;
    }
    std::string bytes;
    (void)core::ReadWholeFile(entry.path().string(), bytes);
    files[entry.path().string()] = std::move(bytes);
  }
  return files;
}

// The files of `before` that changed or went away, by name.
inline std::string Damaged(const std::map<std::string, std::string>& before,
                           const std::map<std::string, std::string>& after) {
  std::string names;
  for (const auto& [path, bytes] : before) {
    const auto it = after.find(path);
    if (it == after.end() || it->second != bytes) {
      names += " " + fs::path(path).filename().string();
    }
  }
  return names;
}

// How the tool is started: as it is, with no room left on the disk (a
// file-size limit: writes fail with EFBIG as they would with ENOSPC), or
// with one folder mounted read-only in a mount namespace of its own (the
// permission bits do not stop root).
enum class Start { kPlain, kDiskFull, kReadOnly };

struct Launch {
  Start start = Start::kPlain;
  long size_limit = 0;    // bytes, for kDiskFull
  std::string read_only;  // the folder, for kReadOnly
};

inline const char* kReadOnlyScript =
    "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" && exec \"$@\"";

inline std::unique_ptr<Process> StartCli(const TempRoot& root, const Launch& how,
                                         const std::vector<std::string>& args) {
  const std::string cli = root.Bin() + "/velmora-cli";
  std::vector<std::string> all = args;
  switch (how.start) {
    case Start::kPlain:
      return std::make_unique<Process>(cli, args);
    case Start::kDiskFull:
      all.insert(all.begin(), {"--fsize=" + std::to_string(how.size_limit), cli});
      return std::make_unique<Process>("/usr/bin/prlimit", all);
    case Start::kReadOnly:
      // The installation stays the user-data root: a read-only folder in it
      // would otherwise send every written file to the user's home instead.
      all.insert(all.begin(), {"VELMORA_DATA_DIR=" + root.Root(), "/usr/bin/unshare", "-m", "sh",
                               "-c", kReadOnlyScript, root.Root() + "/" + how.read_only, cli});
      return std::make_unique<Process>("/usr/bin/env", all);
  }
  return nullptr;
}

// Whether this machine lets a read-only folder be made; the reason when not.
inline std::optional<std::string> ReadOnlyUnavailable() {
  test::TempDir dir;
  Process probe("/usr/bin/unshare", {"-m", "sh", "-c", kReadOnlyScript, dir.Path(), "/bin/sh", "-c",
                                     "! touch \"$0/probe\" 2>/dev/null", dir.Path()});
  if (!probe.Started()) {
    return "unshare is not available";
  }
  const auto code = probe.Wait(10'000);
  if (code != 0) {
    return "no private read-only mount here (" + std::string(core::Trim(probe.err_text)) + ")";
  }
  return std::nullopt;
}

// The running link server of `root`, 0 when there is none.
inline int LinkServerPid(const TempRoot& root) {
  platform::ProcProcessList processes;
  for (const auto& p : processes.List()) {
    if (p.exe_path == root.Bin() + "/LinkSrv") {
      return p.pid;
    }
  }
  return 0;
}

}  // namespace velmora::reliability
