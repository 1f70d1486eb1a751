#pragma once

#include <cstdint>

#include "core/bytes.h"
#include "sim/ecu_errors.h"
#include "sim/ecu_memory.h"
#include "sim/engine_model.h"

namespace velmora::sim {

// What the ECU's self-diagnosis keeps beside the error memory: whether the
// engine allows the erase now, the engine time last seen and the time run
// towards the next counted minute, and the faults that were injected.
namespace diag_region {
inline constexpr const char* kName = "DIAG";
inline constexpr std::size_t kEraseAllowed = 0;
inline constexpr std::size_t kLastTime = 1;    // 8 bytes, microseconds
inline constexpr std::size_t kMinuteTime = 9;  // 4 bytes, microseconds
inline constexpr std::size_t kInjected = 16;   // 32 states
inline constexpr std::size_t kSize = 48;
}  // namespace diag_region

// The error memory's two halves: current states, then stored ones.
inline constexpr std::size_t kErrorCount = 32;

// The diagnosis region as the ECU starts: erasing allowed, `errors` injected.
[[nodiscard]] Bytes InitialDiagnosis(const std::vector<EcuError>& errors);

// The error memory as the ECU starts: `errors` present now and stored, and
// error 5 stored from an earlier drive.
[[nodiscard]] Bytes InitialErrorMemory(const std::vector<EcuError>& errors);

// The ECU's self-diagnosis at the engine state `s`, `t_us` after its start:
// the faults it detects (a dead gas injector, the battery voltage or the
// level sensor out of range) and the injected ones become the current
// errors and are stored; the running-time counters of block 2 advance by the
// minutes run on gas or on petrol; the erase permission follows the engine
// condition. True when memory that is kept changed.
bool ObserveEngine(const EngineState& s, std::int64_t t_us, EcuMemory& m);

// 0x0B: clears the error memory and the injected faults; false (nothing
// cleared) while the engine condition does not allow it.
bool EraseErrors(EcuMemory& m);

}  // namespace velmora::sim
