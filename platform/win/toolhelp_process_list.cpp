#include "platform/win/win_handles.h"
// Needs the types of <windows.h>, included above.
#include <string.h>
#include <tlhelp32.h>

#include <filesystem>
#include <string>

#include "platform/posix/proc_process_list.h"

// The process list of the Windows build (declared with the POSIX one, which
// the front ends include by that name): the Toolhelp snapshot for the list,
// the process itself for its path and start time. Windows has no user ids
// here; the logon session stands in for "this user".

namespace velmora::platform {

namespace {

class ProcessHandle {
 public:
  ProcessHandle(DWORD access, int pid) : h_(OpenProcess(access, FALSE, static_cast<DWORD>(pid))) {}
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  ~ProcessHandle() {
    if (h_ != nullptr) {
      CloseHandle(h_);
    }
  }
  [[nodiscard]] HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

// A program is known by its name without the ".exe" the system adds, as the
// program names it on POSIX: LinkSrv.exe runs as "LinkSrv".
std::string ProgramName(std::string file) {
  constexpr std::size_t kExtension = 4;
  if (file.size() > kExtension && _stricmp(file.c_str() + file.size() - kExtension, ".exe") == 0) {
    file.resize(file.size() - kExtension);
  }
  return file;
}

unsigned SessionOf(int pid) {
  DWORD session = 0;
  return ProcessIdToSessionId(static_cast<DWORD>(pid), &session) ? session : 0;
}

// Path and start time, from the process itself; false when it has ended.
bool Complete(ProcessInfo& info) {
  const ProcessHandle p(PROCESS_QUERY_LIMITED_INFORMATION, info.pid);
  if (p.Get() == nullptr) {
    return true;  // another user's process: listed, without the details
  }
  DWORD code = 0;
  if (GetExitCodeProcess(p.Get(), &code) && code != STILL_ACTIVE) {
    return false;
  }
  char path[MAX_PATH * 2] = {};
  DWORD size = sizeof path;
  if (QueryFullProcessImageNameA(p.Get(), 0, path, &size)) {
    info.exe_path.assign(path, size);
  }
  FILETIME created{};
  FILETIME unused{};
  if (GetProcessTimes(p.Get(), &created, &unused, &unused, &unused)) {
    info.start_time =
        (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  }
  return true;
}

}  // namespace

std::vector<ProcessInfo> ProcProcessList::List() {
  std::vector<ProcessInfo> out;
  const HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) {
    return out;
  }
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
    ProcessInfo info;
    info.pid = static_cast<int>(entry.th32ProcessID);
    info.name = ProgramName(entry.szExeFile);
    info.uid = SessionOf(info.pid);
    if (info.pid > 0 && Complete(info)) {
      out.push_back(std::move(info));
    }
  }
  CloseHandle(snap);
  return out;
}

std::optional<ProcessInfo> ProcProcessList::Find(int pid) {
  if (pid <= 0) {
    return std::nullopt;
  }
  ProcessInfo info;
  info.pid = pid;
  if (!Complete(info)) {
    return std::nullopt;
  }
  if (info.exe_path.empty()) {
    return ProcessList::Find(pid);  // not ours to open: the list has its name
  }
  info.name = ProgramName(std::filesystem::path(info.exe_path).filename().string());
  info.uid = SessionOf(pid);
  return info;
}

bool ProcProcessList::Terminate(int pid) {
  if (pid <= 0) {
    return false;
  }
  const ProcessHandle p(PROCESS_TERMINATE, pid);
  if (p.Get() == nullptr) {
    return GetLastError() == ERROR_INVALID_PARAMETER;  // already gone
  }
  return TerminateProcess(p.Get(), 1) != 0;
}

int ProcProcessList::SelfPid() {
  return static_cast<int>(GetCurrentProcessId());
}

unsigned ProcProcessList::SelfUid() {
  return SessionOf(SelfPid());
}

std::string SelfExecutablePath() {
  char path[MAX_PATH * 2] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
}

ProcessList& PosixProcessList() {
  static ProcProcessList processes;
  return processes;
}

}  // namespace velmora::platform
