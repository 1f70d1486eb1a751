#pragma once

// One pipe for a child being started, shared by the POSIX and Windows
// launchers: on failure `result` says which step failed and why.

#include <fcntl.h>

#include "platform/child_process.h"
#include "platform/sys_io.h"
#include "platform/unique_fd.h"

namespace velmora::platform {

[[nodiscard]] inline bool MakeSpawnPipe(SysIo& io, UniqueFd& read_end, UniqueFd& write_end,
                                        SpawnFailure step, SpawnResult& result) {
  int fds[2] = {-1, -1};
  if (const IoResult r = io.Pipe(fds, O_CLOEXEC); r.value < 0) {
    result.failure = step;
    result.error = r.error;
    return false;
  }
  read_end.Reset(fds[0]);
  write_end.Reset(fds[1]);
  return true;
}

}  // namespace velmora::platform
