#include "apps/velmora/workstation.h"

#include "session/startup_settings.h"

namespace velmora::app {

namespace {
constexpr const char* kSplashFile = "Corvalis_Logo.bmp";
}  // namespace

QString SplashPicture(const core::StartupState& state) {
  return QString::fromStdString(state.paths.img_dir + kSplashFile);
}

Workstation::Workstation(core::StartupState& state, const calib::SensorTables& tables,
                         WorkstationServices services, const calib::CoefficientList* coefficients)
    : state_(state),
      services_(services),
      ecu_(services.pipe, link::TimesFromSetCom(state.set_com)),
      table_(state.set_com.messages),
      env_{table_, image_, services.box, dates_, calib::TextsFromDictionary(state.lingue)},
      calibration_(env_, ecu_, state.paths.lng, state.paths.default_calibration),
      window_(std::make_unique<ui::MainWindow>(state)) {
  table_.SetSmoothingWeights(tables.weights.k_lambda, tables.weights.k_pressure);
  session_.emplace(session::SessionEnv{ecu_, table_, services.flags, services.pump,
                                       services.enumerator, services.box, *window_, calibration_},
                   session::SettingsFromStartup(state));
  window_->AttachSession(ui::SessionLinks{*session_, table_, services.flags, services.box,
                                          services.clock, state.paths.port_com, image_,
                                          coefficients, state.paths.lng, &firmware_, &tuning_});
}

Workstation::~Workstation() {
  // The window is the session's host: it goes first, while the session it
  // drives still exists, and no timer of it fires afterwards.
  window_.reset();
}

void Workstation::Load(bool splash) {
  window_->show();
  const QString picture = SplashPicture(state_);
  window_->Load(splash ? &picture : nullptr);
}

}  // namespace velmora::app
