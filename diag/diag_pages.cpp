#include "diag/diag_pages.h"

#include "diag/frm_error.h"
#include "diag/frm_mappetta.h"
#include "diag/frm_obd.h"

namespace velmora::diag {

std::unique_ptr<pages::PageModel> NewErrorPage(pages::PageEnv& env, int /*code*/) {
  return std::make_unique<FrmError>(env);
}

std::unique_ptr<pages::PageModel> NewObdPage(pages::PageEnv& env, int /*code*/) {
  return std::make_unique<FrmObd>(env, diag_page::kObdMap);
}

std::unique_ptr<pages::PageModel> NewObdMapPage(pages::PageEnv& env, int /*code*/) {
  return std::make_unique<FrmMappetta>(env);
}

}  // namespace velmora::diag
