#include <algorithm>
#include <chrono>
#include <memory>

#include "sim/commands.h"
#include "sim/diag_model.h"
#include "sim/engine_model.h"
#include "sim/live_record.h"
#include "sim/region_commands.h"
#include "sim/tuning_model.h"

namespace velmora::sim {
namespace {

// Commands of the records built from the engine model.
namespace live_cmd {
constexpr std::uint8_t kReadMainRecord = 0x0C;
constexpr std::uint8_t kReadObdData = 0x44;
constexpr std::uint8_t kWriteObdData = 0x45;
constexpr std::uint8_t kReadMem10 = 0x23;
}  // namespace live_cmd

// OBD set-up as an ECU leaves the factory: OBD enabled with the automatic
// protocol choice, no protocol settled yet (the workstation searches for the
// car's when it starts the OBD reading).
Bytes InitialObdData() {
  Bytes d(kObdDataSize, 0);
  d[1] = 11;  // protocol in use: none settled
  d[3] = 1;   // OBD enabled
  return d;
}

std::int64_t SystemMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The engine shared by the live commands, started when the ECU is.
struct LiveEngine {
  explicit LiveEngine(const SimSetup& setup)
      : model(setup.seed),
        tuning(setup.seed, setup.bad_injector),
        clock(setup.clock_us ? setup.clock_us : SystemMicros),
        start(clock()) {}

  EngineState Now(const EcuMemory& m) {
    const auto b3 = m.Region(region::kBlock3);
    EngineInputs in;
    if (b3.size() > block3::kRpmFactor) {
      in.cylinders = b3[block3::kCylinders];
      in.switch_temperature_c = b3[block3::kSwitchTemperature];
      std::copy_n(b3.begin() + block3::kLevelCurve, in.level_curve.size(), in.level_curve.begin());
    }
    const std::int64_t t = clock() - start;
    return tuning.Apply(model.At(t, in), m, t);
  }
  static int Cylinders(const EcuMemory& m) {
    const auto b3 = m.Region(region::kBlock3);
    return b3.size() > block3::kCylinders ? b3[block3::kCylinders] : 0;
  }
  static int RpmFactor(const EcuMemory& m) {
    const auto b3 = m.Region(region::kBlock3);
    return b3.size() > block3::kRpmFactor ? b3[block3::kRpmFactor] : 1;
  }

  EngineModel model;
  TuningModel tuning;
  std::function<std::int64_t()> clock;
  std::int64_t start;
  std::uint8_t mem10_counter = 0;
};

}  // namespace

void RegisterLiveData(CommandTable& table, EcuMemory& memory, const SimSetup& setup) {
  memory.Define(region::kObdData, InitialObdData());
  auto engine = std::make_shared<LiveEngine>(setup);

  table.Add(live_cmd::kReadMainRecord, [engine](const EcuRequest& r, EcuMemory& m) {
    if (!r.data.empty()) {
      return Refused();
    }
    const AxisLookup axes{m.Region(region::kRpmTable), m.Region(region::kTimeTable)};
    const EngineState s = engine->Now(m);
    EcuAnswer a = Ok(LiveRecordData(s, LiveEngine::Cylinders(m), LiveEngine::RpmFactor(m), axes));
    a.memory_changed = ObserveEngine(s, engine->clock() - engine->start, m);
    return a;
  });
  table.Add(live_cmd::kReadObdData, [engine](const EcuRequest& r, EcuMemory& m) {
    if (!r.data.empty()) {
      return Refused();
    }
    const auto stored = m.Region(region::kObdData);
    Bytes d(stored.begin(), stored.end());
    PutObdReadings(engine->Now(m), d);
    return Ok(std::move(d));
  });
  // The whole record is stored; the readings from the car are the ECU's own
  // and come back fresh on the next read.
  AddWholeWrite(table, live_cmd::kWriteObdData, region::kObdData);
  table.Add(live_cmd::kReadMem10, [engine](const EcuRequest& r, EcuMemory& m) {
    if (!r.data.empty()) {
      return Refused();
    }
    return Ok(Mem10Data(engine->Now(m), engine->mem10_counter++));
  });
}

}  // namespace velmora::sim
