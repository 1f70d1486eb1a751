#include "ui/diag_views.h"

#include "diag/diag_pages.h"
#include "ui/frm_error_page.h"
#include "ui/frm_mappetta_page.h"
#include "ui/frm_obd_page.h"

namespace velmora::ui {

std::unique_ptr<pages::PageModel> ErrorPageModel(PageEnv& env, int code) {
  return diag::NewErrorPage(env.page, code);
}

std::unique_ptr<pages::PageModel> ObdPageModel(PageEnv& env, int code) {
  return diag::NewObdPage(env.page, code);
}

std::unique_ptr<pages::PageModel> ObdMapPageModel(PageEnv& env, int code) {
  return diag::NewObdMapPage(env.page, code);
}

PageView ErrorPageView(const ViewEnv& /*env*/, pages::PageModel& model) {
  auto* m = ModelOf<diag::FrmError>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new FrmErrorPage(*m);
  return {page, [page] { page->Refresh(); }};
}

PageView ObdPageView(const ViewEnv& env, pages::PageModel& model) {
  auto* m = ModelOf<diag::FrmObd>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new FrmObdPage(*m, QString::fromStdString(env.state.main_title));
  return {page, [page] { page->Refresh(); }};
}

PageView ObdMapPageView(const ViewEnv& /*env*/, pages::PageModel& model) {
  auto* m = ModelOf<diag::FrmMappetta>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new FrmMappettaPage(*m);
  return {page, [page] { page->Refresh(); }};
}

}  // namespace velmora::ui
