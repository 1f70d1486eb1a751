#pragma once

#include <memory>
#include <string>

#include "apps/velmora/workstation.h"
#include "calib/coefficient_file.h"
#include "calib/sensor_tables.h"
#include "core/startup.h"
#include "link/pipe_channel.h"
#include "platform/process_list.h"
#include "ui/main_window.h"

namespace velmora::app {

// The start-up services of the windowed workstation: the link server on its
// pipes, the language window, and at the end the workstation itself.
class GuiStartupHost : public core::StartupHost {
 public:
  GuiStartupHost(core::StartupState& state, WorkstationServices services,
                 platform::ProcessList& processes, std::string exe_name, bool splash = true)
      : state_(state),
        services_(services),
        pipe_(services.pipe),
        processes_(processes),
        exe_name_(std::move(exe_name)),
        splash_(splash) {}

  void KillStaleLink() override;
  std::vector<std::string> ListCoefficientFiles(const std::string& lng_dir) override;
  void ReadSensorTables() override;
  void StartLink() override;
  int ChooseLanguageAtStartup(const core::ClsLingue& lingue) override;
  void SendClientName() override;
  void SendLinkInit() override;
  void LoadMainWindow() override;
  [[nodiscard]] ui::MainWindow* Window() const {
    return workstation_ != nullptr ? &workstation_->Window() : nullptr;
  }
  [[nodiscard]] Workstation* Context() const { return workstation_.get(); }
  [[nodiscard]] const calib::CoefficientList& Coefficients() const { return coefficients_; }
  [[nodiscard]] const calib::SensorTables& SensorTables() const { return sensor_tables_; }

 private:
  core::StartupState& state_;
  WorkstationServices services_;
  link::ModPipe& pipe_;
  platform::ProcessList& processes_;
  std::string exe_name_;
  bool splash_;
  std::unique_ptr<Workstation> workstation_;
  calib::CoefficientList coefficients_;
  calib::SensorTables sensor_tables_;
};

}  // namespace velmora::app
