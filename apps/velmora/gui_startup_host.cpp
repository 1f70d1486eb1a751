#include "apps/velmora/gui_startup_host.h"

#include <cstdlib>

#include "core/text.h"
#include "link/link_startup.h"
#include "ui/frm_lingua.h"

namespace velmora::app {

void GuiStartupHost::KillStaleLink() {
  link::KillStaleLink(pipe_);
}

std::vector<std::string> GuiStartupHost::ListCoefficientFiles(const std::string& lng_dir) {
  coefficients_ = calib::ListCoefficientFiles(lng_dir);
  std::vector<std::string> paths;
  for (const auto& r : coefficients_.records) {
    paths.push_back(r.path);
  }
  return paths;
}

void GuiStartupHost::ReadSensorTables() {
  sensor_tables_ = calib::ReadSensorTables(state_.config_scale_lines);
}

void GuiStartupHost::StartLink() {
  // A link server that cannot start has shown its box; the window still
  // opens, it just cannot connect.
  (void)link::StartLink(pipe_);
}

int GuiStartupHost::ChooseLanguageAtStartup(const core::ClsLingue& lingue) {
  // Scripted and headless runs name the language instead of being asked.
  if (const char* env = std::getenv("VELMORA_LANGUAGE")) {
    if (auto n = core::ParseInt32(env); n && *n >= 0 && *n <= lingue.UboundLingue()) {
      return *n;
    }
  }
  ui::FrmLingua dialog(lingue);
  dialog.exec();
  return dialog.Chosen();
}

void GuiStartupHost::SendClientName() {
  (void)link::SendClientName(pipe_, processes_, exe_name_, state_.set_com.pipe_wait_us);
}

void GuiStartupHost::SendLinkInit() {
  (void)link::SendLinkInit(pipe_, state_.set_com.pipe_wait_us);
}

void GuiStartupHost::LoadMainWindow() {
  workstation_ = std::make_unique<Workstation>(state_, sensor_tables_, services_, &coefficients_);
  workstation_->Load(splash_);
}

}  // namespace velmora::app
