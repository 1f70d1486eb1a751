#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::platform {

struct ProcessInfo {
  int pid = 0;
  unsigned uid = 0;
  std::string name;      // executable file name, no folder
  std::string exe_path;  // full path of the executable, empty when unknown
  // When the process started, in the system's own units (clock ticks since
  // boot on Linux); 0 when unknown. With the pid it tells a process from a
  // later one that was given the same pid.
  std::uint64_t start_time = 0;
};

// The running processes, and ending one of them.
class ProcessList {
 public:
  virtual ~ProcessList() = default;
  [[nodiscard]] virtual std::vector<ProcessInfo> List() = 0;
  [[nodiscard]] virtual bool Terminate(int pid) = 0;
  [[nodiscard]] virtual int SelfPid() = 0;
  [[nodiscard]] virtual unsigned SelfUid() = 0;
  // One running process by pid; the list is searched unless the system can
  // look it up directly.
  [[nodiscard]] virtual std::optional<ProcessInfo> Find(int pid);
};

// A process as another one can recognise it later: its pid and start time.
struct ProcessMark {
  int pid = 0;
  std::uint64_t start_time = 0;  // 0: unknown, the pid alone decides
  friend bool operator==(const ProcessMark&, const ProcessMark&) = default;
};

// The calling process's mark; nullopt when it cannot find itself.
[[nodiscard]] std::optional<ProcessMark> SelfMark(ProcessList& processes);

// True while the marked process runs: its pid is listed and, where both
// start times are known, with the same start time.
[[nodiscard]] bool IsRunning(ProcessList& processes, const ProcessMark& mark);

// This user's processes, the caller left out, that run the executable
// `name` (case ignored) from the folder `dir` (compared as canonical paths): how a program
// finds the others of its own installation, whatever else of that name runs.
[[nodiscard]] std::vector<ProcessInfo> FindInstalled(ProcessList& processes, std::string_view name,
                                                     const std::string& dir);

// The process list of this system (stateless, like PosixSysIo).
[[nodiscard]] ProcessList& PosixProcessList();

}  // namespace velmora::platform
