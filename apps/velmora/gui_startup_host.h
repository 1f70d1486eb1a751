#pragma once

#include <memory>

#include "core/startup.h"
#include "ui/main_window.h"

namespace velmora::app {

// The start-up services of the windowed workstation.
class GuiStartupHost : public core::StartupHost {
 public:
  explicit GuiStartupHost(core::StartupState& state) : state_(state) {}
  int ChooseLanguageAtStartup(const core::ClsLingue& lingue) override;
  void LoadMainWindow() override;
  [[nodiscard]] ui::MainWindow* Window() const { return window_.get(); }

 private:
  core::StartupState& state_;
  std::unique_ptr<ui::MainWindow> window_;
};

}  // namespace velmora::app
