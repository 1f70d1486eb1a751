#pragma once

#include "platform/process_list.h"

namespace velmora::platform {

// The process list read from /proc.
class ProcProcessList final : public ProcessList {
 public:
  [[nodiscard]] std::vector<ProcessInfo> List() override;
  [[nodiscard]] bool Terminate(int pid) override;
  [[nodiscard]] int SelfPid() override;
  [[nodiscard]] unsigned SelfUid() override;
  [[nodiscard]] std::optional<ProcessInfo> Find(int pid) override;
};

// The folder of the running executable (from /proc/self/exe), empty on error.
[[nodiscard]] std::string SelfExecutablePath();

}  // namespace velmora::platform
