#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/paths.h"
#include "link/pipe_channel.h"
#include "platform/process_list.h"

namespace velmora::link {

// The link steps of the program's start and end, in the order the entry
// procedure calls them.

// Where this installation's link server lives.
[[nodiscard]] LinkLocation LinkLocationFor(const core::PathTable& paths);

// At start, before anything else: end link servers left running by an earlier run.
void KillStaleLink(ModPipe& pipe);

// At start: start the link server on its pipes (boxes on failure).
bool StartLink(ModPipe& pipe);

// The payload of message 14: the program's executable file name when a
// process of that name (ignoring case) is running, otherwise empty.
[[nodiscard]] std::string ClientName(platform::ProcessList& processes,
                                     std::string_view own_exe_name);

// At start, once the settings are read: message 14 with ClientName.
int SendClientName(ModPipe& pipe, platform::ProcessList& processes, std::string_view own_exe_name,
                   std::int64_t timeout_us);

// At start, last of the link steps: message 2 with one zero byte; the reply is not examined.
int SendLinkInit(ModPipe& pipe, std::int64_t timeout_us);

// At exit: message 1 when the link server runs. Returns the exchange's code,
// or 0 when there was nothing to end.
int ShutdownLink(ModPipe& pipe, std::int64_t timeout_us);

}  // namespace velmora::link
