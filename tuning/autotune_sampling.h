#pragma once

#include <string>
#include <string_view>

#include "tuning/autotune_context.h"

namespace velmora::tuning {

// One sampling of the petrol times: a settling wait, then `count` samples
// `period_ms` apart.
struct SampleSpec {
  std::string_view title;  // the log's step title
  double wait_ms = 0;
  double period_ms = 0;
  int count = 0;
};

// Step 1's wait: until the ECU's state allows the measurement, the engine
// runs at "Rpm minimi" or above and is warm. A result code.
[[nodiscard]] int WaitUntilReady(RunContext& ctx);

// Until the engine runs within the raised-speed band. A result code.
[[nodiscard]] int WaitForRaisedSpeed(RunContext& ctx);

// Steps 3 and 4: `average` receives the rounded mean of the samples. A
// result code.
[[nodiscard]] int SampleStep(RunContext& ctx, const SampleSpec& figures, int& average);

// The log's sample line.
[[nodiscard]] std::string SampleLine(const RunContext& ctx, int count, const LiveValues& v);

}  // namespace velmora::tuning
