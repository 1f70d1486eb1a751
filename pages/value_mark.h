#pragma once

namespace velmora::pages {

// Where a value the fitter changed on a configuration page stands: steady
// (what the ECU holds), sent and waiting for the ECU's read-back, or not
// taken by the ECU (the write failed, or the ECU holds something else).
enum class Mark { kNone, kPending, kFailed };

}  // namespace velmora::pages
