#include "platform/posix/proc_process_list.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

namespace velmora::platform {

namespace {

std::string ReadLink(const std::string& path) {
  std::error_code ec;
  auto target = std::filesystem::read_symlink(path, ec);
  if (ec) {
    return {};
  }
  return target.string();
}

// The fields of /proc/<pid>/stat the list needs. The command name in
// parentheses may hold blanks and parentheses, so fields count from the last ')'.
struct StatFields {
  bool zombie = false;
  std::uint64_t start_time = 0;
};

std::optional<StatFields> ReadStat(const std::string& dir) {
  std::ifstream in(dir + "/stat");
  std::string stat;
  if (!std::getline(in, stat)) {
    return std::nullopt;
  }
  const auto close = stat.rfind(')');
  if (close == std::string::npos) {
    return std::nullopt;
  }
  std::istringstream fields(stat.substr(close + 1));
  std::string state;
  fields >> state;
  StatFields out;
  // A process that has ended but not been reaped is not running: under an
  // init that does not reap, such entries would otherwise pass for live ones.
  out.zombie = state == "Z";
  // The start time is the 22nd field; the state was the 3rd.
  std::string skipped;
  for (int field = 4; field < 22 && fields >> skipped; ++field) {
  }
  if (!(fields >> out.start_time)) {
    out.start_time = 0;
  }
  return out;
}

std::string CommName(const std::string& dir) {
  std::ifstream in(dir + "/comm");
  std::string name;
  std::getline(in, name);
  return name;
}

std::optional<ProcessInfo> Describe(int pid, const std::string& dir) {
  ProcessInfo info;
  info.pid = pid;
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) {
    return std::nullopt;  // ended while we were looking
  }
  info.uid = st.st_uid;
  const std::optional<StatFields> fields = ReadStat(dir);
  if (!fields || fields->zombie) {
    return std::nullopt;
  }
  info.start_time = fields->start_time;
  info.exe_path = ReadLink(dir + "/exe");
  // A deleted-and-replaced binary shows " (deleted)"; the name is what counts.
  const std::string deleted = " (deleted)";
  if (info.exe_path.size() > deleted.size() &&
      info.exe_path.compare(info.exe_path.size() - deleted.size(), deleted.size(), deleted) == 0) {
    info.exe_path.resize(info.exe_path.size() - deleted.size());
  }
  if (!info.exe_path.empty()) {
    info.name = std::filesystem::path(info.exe_path).filename().string();
  } else {
    info.name = CommName(dir);
  }
  return info;
}

}  // namespace

std::vector<ProcessInfo> ProcProcessList::List() {
  std::vector<ProcessInfo> out;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string base = entry.path().filename().string();
    if (base.empty() || base.size() > 9 ||
        base.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    if (auto info = Describe(std::stoi(base), entry.path().string())) {
      out.push_back(std::move(*info));
    }
  }
  return out;
}

std::optional<ProcessInfo> ProcProcessList::Find(int pid) {
  if (pid <= 0) {
    return std::nullopt;
  }
  return Describe(pid, "/proc/" + std::to_string(pid));
}

bool ProcProcessList::Terminate(int pid) {
  if (pid <= 0) {
    return false;
  }
  return ::kill(pid, SIGKILL) == 0 || errno == ESRCH;
}

int ProcProcessList::SelfPid() {
  return static_cast<int>(::getpid());
}

unsigned ProcProcessList::SelfUid() {
  return static_cast<unsigned>(::getuid());
}

std::string SelfExecutablePath() {
  return ReadLink("/proc/self/exe");
}

ProcessList& PosixProcessList() {
  static ProcProcessList processes;
  return processes;
}

}  // namespace velmora::platform
