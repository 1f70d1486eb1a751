#pragma once

#include "link/server/link_server.h"
#include "platform/sys_io.h"

namespace velmora::link::server {

// Answers requests from `in_fd` on `out_fd` until message 1, the end of the
// input or a broken pipe. Returns the process exit code.
[[nodiscard]] int ServePipes(platform::SysIo& io, int in_fd, int out_fd, LinkServer& server,
                             const Logger& log);

}  // namespace velmora::link::server
