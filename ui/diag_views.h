#pragma once

#include <memory>

#include "pages/page_registry.h"
#include "ui/page_view.h"

// The page table's factories of the diagnostic pages: the error page, the
// OBD page and the OBD correction map window.
namespace velmora::ui {

[[nodiscard]] std::unique_ptr<pages::PageModel> ErrorPageModel(PageEnv& env, int code);
[[nodiscard]] std::unique_ptr<pages::PageModel> ObdPageModel(PageEnv& env, int code);
[[nodiscard]] std::unique_ptr<pages::PageModel> ObdMapPageModel(PageEnv& env, int code);

[[nodiscard]] PageView ErrorPageView(const ViewEnv& env, pages::PageModel& model);
[[nodiscard]] PageView ObdPageView(const ViewEnv& env, pages::PageModel& model);
[[nodiscard]] PageView ObdMapPageView(const ViewEnv& env, pages::PageModel& model);

}  // namespace velmora::ui
