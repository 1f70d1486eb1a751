#include "link/server/serve_pipes.h"

#include "link/server/pipe_io.h"

namespace velmora::link::server {

int ServePipes(platform::SysIo& io, int in_fd, int out_fd, LinkServer& server, const Logger& log) {
  for (;;) {
    const PipeMessage m = ReadRequestMessage(io, in_fd);
    if (m.status == PipeStatus::kEnd) {
      log.Line("input closed");
      return 0;
    }
    if (m.status == PipeStatus::kError) {
      log.Line("input error");
      return 1;
    }
    const std::optional<ParsedRequest> request = ParseRequest(m.bytes);
    const Bytes reply = request ? server.Handle(*request) : server.NotServed();
    if (!WriteReplyMessage(io, out_fd, reply)) {
      log.Line("output closed");
      return 1;
    }
    if (server.ExitRequested()) {
      return 0;
    }
  }
}

}  // namespace velmora::link::server
