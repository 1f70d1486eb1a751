#include "ui/config_pages.h"

#include "ui/frm_kvx_gestione_page.h"
#include "ui/frm_kvx_lambda_page.h"
#include "ui/frm_kvx_sensori_page.h"

namespace velmora::ui {

namespace {

// The view over the model of its own table line; the window shows it again
// through Refresh.
template <class View, class Model>
PageView ViewOf(pages::PageModel& model) {
  auto* m = ModelOf<Model>(model);
  if (m == nullptr) {
    return {};
  }
  auto* page = new View(*m);
  return {page, [page] { page->Refresh(); }};
}

}  // namespace

std::unique_ptr<pages::PageModel> NewLambdaModel(PageEnv& env, int /*code*/) {
  return std::make_unique<pages::FrmKvxLambda>(env.page);
}

std::unique_ptr<pages::PageModel> NewSensorsModel(PageEnv& env, int /*code*/) {
  return std::make_unique<pages::FrmKvxSensori>(env.page);
}

std::unique_ptr<pages::PageModel> NewManagementModel(PageEnv& env, int /*code*/) {
  return std::make_unique<pages::FrmKvxGestione>(env.page);
}

PageView LambdaView(const ViewEnv& /*env*/, pages::PageModel& model) {
  return ViewOf<FrmKvxLambdaPage, pages::FrmKvxLambda>(model);
}

PageView SensorsView(const ViewEnv& /*env*/, pages::PageModel& model) {
  return ViewOf<FrmKvxSensoriPage, pages::FrmKvxSensori>(model);
}

PageView ManagementView(const ViewEnv& /*env*/, pages::PageModel& model) {
  return ViewOf<FrmKvxGestionePage, pages::FrmKvxGestione>(model);
}

}  // namespace velmora::ui
