#include "ui/acq_pages.h"

#include "acq/frm_logger.h"
#include "acq/frm_replay.h"
#include "core/version.h"
#include "ui/frm_logger_page.h"
#include "ui/frm_replay_page.h"

namespace velmora::ui {

std::unique_ptr<pages::PageModel> NewLoggerModel(PageEnv& env, int /*code*/) {
  return std::make_unique<acq::FrmLogger>(env.page);
}

std::unique_ptr<pages::PageModel> NewReplayModel(PageEnv& env, int /*code*/) {
  return std::make_unique<acq::FrmReplay>(env.page, core::VersionText());
}

PageView LoggerView(const ViewEnv& env, pages::PageModel& model) {
  auto* m = ModelOf<acq::FrmLogger>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new FrmLoggerPage(*m, &env.state.lingue);
  return {page, [page] { page->Refresh(); }};
}

PageView ReplayView(const ViewEnv& env, pages::PageModel& model) {
  auto* m = ModelOf<acq::FrmReplay>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new FrmReplayPage(*m, &env.state.lingue);
  return {page, [page] { page->Refresh(); }};
}

}  // namespace velmora::ui
