#include "apps/velmora/gui_startup_host.h"

#include <cstdlib>

#include "core/text.h"
#include "ui/frm_lingua.h"

namespace velmora::app {

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

void GuiStartupHost::LoadMainWindow() {
  window_ = std::make_unique<ui::MainWindow>(state_);
  window_->show();
}

}  // namespace velmora::app
