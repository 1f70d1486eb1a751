#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/process_list.h"

namespace velmora::cli {

// The workstation's executable, as it runs from an installation's bin folder.
inline constexpr std::string_view kWorkstationExeName = "velmora";

// A command that starts a link server would end the workstation's: each
// program ends the link servers of its installation that it finds running
// at start. The refusal when the workstation runs on the installation at
// `root`, nullopt when it does not.
[[nodiscard]] std::optional<std::string> WorkstationRefusal(platform::ProcessList& processes,
                                                            const std::string& root);

// Says the refusal on standard error; true when the link may be started.
[[nodiscard]] bool LinkMayStart(platform::ProcessList& processes, const std::string& root);

}  // namespace velmora::cli
