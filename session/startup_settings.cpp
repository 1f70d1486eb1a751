#include "session/startup_settings.h"

#include "core/text_block.h"

namespace velmora::session {

SessionSettings SettingsFromStartup(const core::StartupState& state) {
  SessionSettings settings;
  settings.set_com = state.set_com;
  settings.texts = SessionTextsFrom(state.lingue);
  settings.main_title = core::TitleText(state.lingue, state.main_title);
  settings.port_com_file = state.paths.port_com;
  settings.registry_file = state.paths.port_registry;
  settings.default_calibration = state.paths.default_calibration;
  settings.firmware_address = state.firmware_address;
  settings.reference_answers = state.reference_answers;
  settings.startup_mark = state.startup_mark;
  return settings;
}

}  // namespace velmora::session
