#pragma once

#include <memory>

#include "ui/page_view.h"

namespace velmora::ui {

// The configuration pages' model and view factories for the workstation's
// page table: lambda probes and emulation, sensors, gas management.
[[nodiscard]] std::unique_ptr<pages::PageModel> NewLambdaModel(PageEnv& env, int code);
[[nodiscard]] std::unique_ptr<pages::PageModel> NewSensorsModel(PageEnv& env, int code);
[[nodiscard]] std::unique_ptr<pages::PageModel> NewManagementModel(PageEnv& env, int code);
[[nodiscard]] PageView LambdaView(const ViewEnv& env, pages::PageModel& model);
[[nodiscard]] PageView SensorsView(const ViewEnv& env, pages::PageModel& model);
[[nodiscard]] PageView ManagementView(const ViewEnv& env, pages::PageModel& model);

}  // namespace velmora::ui
