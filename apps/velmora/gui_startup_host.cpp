#include "apps/velmora/gui_startup_host.h"

#include "ui/frm_lingua.h"

namespace velmora::app {

int GuiStartupHost::ChooseLanguageAtStartup(const core::ClsLingue& lingue) {
  ui::FrmLingua dialog(lingue);
  dialog.exec();
  return dialog.Chosen();
}

void GuiStartupHost::LoadMainWindow() {
  window_ = std::make_unique<ui::MainWindow>(state_);
  window_->show();
}

}  // namespace velmora::app
