#pragma once

#include "core/startup.h"
#include "session/session.h"

namespace velmora::session {

// The session's settings from what the start-up sequence read: the link
// and firmware lists, the files, the reference answers, the start-up mark,
// and the titles and captions in the chosen language.
[[nodiscard]] SessionSettings SettingsFromStartup(const core::StartupState& state);

}  // namespace velmora::session
