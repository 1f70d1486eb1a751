#pragma once

#include <string>
#include <vector>

namespace velmora::platform {

struct ProcessInfo {
  int pid = 0;
  unsigned uid = 0;
  std::string name;      // executable file name, no folder
  std::string exe_path;  // full path of the executable, empty when unknown
};

// The running processes, and ending one of them.
class ProcessList {
 public:
  virtual ~ProcessList() = default;
  [[nodiscard]] virtual std::vector<ProcessInfo> List() = 0;
  [[nodiscard]] virtual bool Terminate(int pid) = 0;
  [[nodiscard]] virtual int SelfPid() = 0;
  [[nodiscard]] virtual unsigned SelfUid() = 0;
};

}  // namespace velmora::platform
