#include "platform/process_list.h"

namespace velmora::platform {

std::optional<ProcessInfo> ProcessList::Find(int pid) {
  for (ProcessInfo& info : List()) {
    if (info.pid == pid) {
      return std::move(info);
    }
  }
  return std::nullopt;
}

std::optional<ProcessMark> SelfMark(ProcessList& processes) {
  const int pid = processes.SelfPid();
  const std::optional<ProcessInfo> self = processes.Find(pid);
  if (!self) {
    return std::nullopt;
  }
  return ProcessMark{pid, self->start_time};
}

bool IsRunning(ProcessList& processes, const ProcessMark& mark) {
  if (mark.pid <= 0) {
    return false;
  }
  const std::optional<ProcessInfo> found = processes.Find(mark.pid);
  return found &&
         (mark.start_time == 0 || found->start_time == 0 || found->start_time == mark.start_time);
}

}  // namespace velmora::platform
