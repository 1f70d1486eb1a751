#pragma once

#include <memory>

#include "pages/page_registry.h"
#include "pages/page_services.h"
#include "session/request_codes.h"

namespace velmora::diag {

// The codes the main window's page switch takes for the diagnostic pages.
// The OBD page is the session's page 7; the error page and the map window
// take codes no other page uses.
namespace diag_page {
inline constexpr int kErrors = 82;
inline constexpr int kObd = session::page_id::kObd;
inline constexpr int kObdMap = 83;
}  // namespace diag_page

// The factories a page table names.
[[nodiscard]] std::unique_ptr<pages::PageModel> NewErrorPage(pages::PageEnv& env, int code);
[[nodiscard]] std::unique_ptr<pages::PageModel> NewObdPage(pages::PageEnv& env, int code);
[[nodiscard]] std::unique_ptr<pages::PageModel> NewObdMapPage(pages::PageEnv& env, int code);

}  // namespace velmora::diag
