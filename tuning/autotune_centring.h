#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "tuning/autotune_context.h"

namespace velmora::tuning {

// The gas-pressure compensation table as the centring sees it: 15
// breakpoints with their corrections, the centred flag and the pairs in use.
inline constexpr int kPressurePairs = 15;
inline constexpr int kCountedPairs = 6;  // k is counted over the first six

struct PressureTable {
  std::array<std::int32_t, kPressurePairs> x{};
  std::array<std::int32_t, kPressurePairs> correction{};
  std::int32_t centred = 0;
  std::int32_t pairs = 0;
};

[[nodiscard]] PressureTable PressureTableOf(const link::MessageTable& table);
void PutPressureTable(link::MessageTable& table, const PressureTable& t);

// Moves the breakpoints so that breakpoint k - 1 lands half an interval
// below `pressure` (k = the leading pairs with a correction, at most six),
// marks the table centred with k pairs. nullopt, nothing changed, when no
// pair has a correction.
[[nodiscard]] std::optional<PressureTable> CentreTable(const PressureTable& t, int pressure);

// Step 2's part: the table marked not centred, written to the ECU. False
// when the write failed.
[[nodiscard]] bool ClearCentredFlag(RunContext& ctx);

// The end of step 6: the table reloaded from the chosen reference
// calibration (kept as it is when there is none), centred on the mean gas
// pressure and written. False when the write failed.
[[nodiscard]] bool CentrePressureTable(RunContext& ctx, int pressure);

}  // namespace velmora::tuning
