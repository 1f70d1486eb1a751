#pragma once

#include <memory>

#include "pages/page_registry.h"
#include "ui/page_view.h"

namespace velmora::ui {

// The acquisition pages of the workstation's page table: the oscilloscope
// logger and the log replay, their models and their views.
[[nodiscard]] std::unique_ptr<pages::PageModel> NewLoggerModel(PageEnv& env, int code);
[[nodiscard]] std::unique_ptr<pages::PageModel> NewReplayModel(PageEnv& env, int code);
[[nodiscard]] PageView LoggerView(const ViewEnv& env, pages::PageModel& model);
[[nodiscard]] PageView ReplayView(const ViewEnv& env, pages::PageModel& model);

}  // namespace velmora::ui
