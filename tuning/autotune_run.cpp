#include "tuning/autotune_run.h"

// Stand-in until the procedure lands: starts nothing.
namespace velmora::tuning {

bool PrepareAutoTuningStart(const pages::PageEnv& /*env*/, const TuningLinks& /*links*/) {
  return false;
}

int RunAutoTuning(const pages::PageEnv& /*env*/, const TuningLinks& /*links*/,
                  TuningObserver& observer, TuningControl& /*control*/) {
  observer.Finished(tune_result::kNotStarted, "");
  return tune_result::kNotStarted;
}

}  // namespace velmora::tuning
