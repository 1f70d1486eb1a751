#include "platform/posix/proc_process_list.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
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

// A process that has ended but not been reaped is not running: under an init
// that does not reap, such entries would otherwise pass for live ones.
bool IsZombie(const std::string& dir) {
  std::ifstream in(dir + "/stat");
  std::string stat;
  std::getline(in, stat);
  const auto close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

std::string CommName(const std::string& dir) {
  std::ifstream in(dir + "/comm");
  std::string name;
  std::getline(in, name);
  return name;
}

}  // namespace

std::vector<ProcessInfo> ProcProcessList::List() {
  std::vector<ProcessInfo> out;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string base = entry.path().filename().string();
    if (base.empty() || base.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    ProcessInfo info;
    info.pid = std::stoi(base);
    const std::string dir = entry.path().string();
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) {
      continue;  // ended while we were looking
    }
    info.uid = st.st_uid;
    if (IsZombie(dir)) {
      continue;
    }
    info.exe_path = ReadLink(dir + "/exe");
    // A deleted-and-replaced binary shows " (deleted)"; the name is what counts.
    const std::string deleted = " (deleted)";
    if (info.exe_path.size() > deleted.size() &&
        info.exe_path.compare(info.exe_path.size() - deleted.size(), deleted.size(), deleted) ==
            0) {
      info.exe_path.resize(info.exe_path.size() - deleted.size());
    }
    if (!info.exe_path.empty()) {
      info.name = std::filesystem::path(info.exe_path).filename().string();
    } else {
      info.name = CommName(dir);
    }
    out.push_back(std::move(info));
  }
  return out;
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

}  // namespace velmora::platform
