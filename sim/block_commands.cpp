#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <utility>

#include "link/ecu_frame.h"
#include "sim/commands.h"
#include "sim/region_commands.h"
#include "sim/tuning_model.h"

namespace velmora::sim {
namespace {

constexpr std::size_t kBlock2Size = 20;
constexpr std::size_t kBlock3Size = block3::kSize;
// The cylinder count: data byte 1 of block 3, and the 16-bit word at data
// bytes 12..13 of the connection block, which must always agree.
constexpr std::size_t kBlock3Cylinders = block3::kCylinders;
constexpr std::size_t kConnectionCylinders = 12;
// The connection block is written back only after a firmware update.
constexpr std::uint8_t kWriteConnection = 0x2C;
// Per-cylinder gas output configuration: cylinder 1 at data byte 21, down to
// cylinder 8 at data byte 14.
constexpr std::size_t kFirstCylinderOutput = 21;
constexpr std::size_t kMaxCylinders = 8;

// Block 2 words the ECU acts on when they are written.
namespace block2 {
constexpr std::size_t kOptions = 2;
constexpr std::uint8_t kEmulationOn = 0x10;
constexpr std::size_t kGasHours = 3;
constexpr std::size_t kPetrolHours = 5;
constexpr std::size_t kSinceService = 10;
constexpr std::size_t kServiceInterval = 13;
constexpr std::size_t kGasMinutes = 15;
constexpr std::size_t kPetrolMinutes = 17;
constexpr std::uint16_t kResetCounter = 0xFFFF;
constexpr std::uint16_t kRestartService = 0x8000;
}  // namespace block2

std::uint16_t WordAt(std::span<const std::uint8_t> d, std::size_t at) {
  return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}
void PutWordAt(std::span<std::uint8_t> d, std::size_t at, std::uint16_t v) {
  d[at] = static_cast<std::uint8_t>(v & 0xFF);
  d[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// Running hours on gas and on petrol, a 500-hour service interval with 120
// hours since the last service, the lambda probe emulation on.
Bytes InitialBlock2() {
  Bytes b(kBlock2Size, 0);
  b[block2::kOptions] = block2::kEmulationOn;
  PutWordAt(b, block2::kGasHours, 412);
  PutWordAt(b, block2::kPetrolHours, 153);
  PutWordAt(b, block2::kSinceService, 120);
  PutWordAt(b, block2::kServiceInterval, 500);
  PutWordAt(b, block2::kGasMinutes, 37);
  PutWordAt(b, block2::kPetrolMinutes, 12);
  return b;
}

// Switch-over at 1500 rpm: the periods of the rpm signal at that speed, as
// the switch-over page converts it for the coils, cylinders and factor x 1
// of the fitted installation.
void PutSwitchSpeed(Bytes& b, std::uint8_t cylinders) {
  constexpr double kRpm = 1500 - 2;
  constexpr double kCoilNumerator = 240'000'000;
  constexpr double kFactorNumerator = 15'000'000;
  constexpr std::size_t kPeriod = 3;
  constexpr std::size_t kFactorPeriod = 41;
  const double a = cylinders == 0 ? 1 : b[0] * kCoilNumerator / (cylinders * 16.0);
  PutWordAt(b, kPeriod, static_cast<std::uint16_t>(std::min(65535.0, std::floor(a / kRpm))));
  PutWordAt(b, kFactorPeriod, static_cast<std::uint16_t>(std::floor(kFactorNumerator / kRpm)));
}

// A fitted installation: coils and cylinders, injector type, switch-over at
// 40 C and 1500 rpm, gas on every cylinder, level sensor curve, probe type,
// spark and bad-bit settings.
Bytes InitialBlock3(std::uint8_t cylinders) {
  Bytes b(kBlock3Size, 0);
  b[0] = 4;  // ignition coils
  b[kBlock3Cylinders] = cylinders;
  b[block3::kSwitchTemperature] = 40;
  b[5] = 1;  // injector type: the first of the ECU configuration's list
  for (std::size_t c = 0; c < kMaxCylinders && c < cylinders; ++c) {
    b[kFirstCylinderOutput - c] = 1;
  }
  b[30] = 0;  // level sensor: the first record of the model configuration
  b[31] = 4;
  const std::uint8_t curve[6] = {20, 58, 96, 134, 172, 210};
  std::copy(std::begin(curve), std::end(curve), b.begin() + block3::kLevelCurve);
  b[38] = 0x04;           // switch-over on temperature
  PutWordAt(b, 39, 300);  // deceleration hysteresis, rpm
  PutSwitchSpeed(b, cylinders);
  PutWordAt(b, 43, 250);      // minimum gas injector opening, 8 us steps
  b[47] = 1;                  // lambda probe type
  PutWordAt(b, 48, 800);      // end-of-gas pressure
  PutWordAt(b, 50, 2000);     // end-of-gas delay
  b[block3::kRpmFactor] = 1;  // never 0: it divides the rpm
  PutWordAt(b, 57, 7000);     // spark setting
  b[61] = 15;                 // bad-bit threshold
  b[62] = 20;                 // OBD maximum correction
  b[64] = 4;                  // OBD MiDiff
  return b;
}

Bytes InitialConnection(std::uint8_t cylinders) {
  // Eight little-endian words: installation data, cylinders, reserved.
  const std::array<std::uint16_t, 8> words = {666, 1280, 2322, 20, 281, 32774, cylinders, 4};
  Bytes b;
  for (const std::uint16_t w : words) {
    b.push_back(static_cast<std::uint8_t>(w & 0xFF));
    b.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  return b;
}

}  // namespace

void RegisterBlocks(CommandTable& table, EcuMemory& memory, const SimSetup& setup) {
  const std::uint8_t cylinders = ProfileOf(setup.hardware).cylinders;
  memory.Define(region::kBlock2, InitialBlock2());
  memory.Define(region::kBlock3, InitialBlock3(cylinders));
  memory.Define(region::kConnection, InitialConnection(cylinders));

  AddWholeRead(table, link::cmd::kReadBlock2, region::kBlock2);
  AddWholeRead(table, link::cmd::kReadBlock3, region::kBlock3);
  AddWholeRead(table, link::cmd::kReadConnection, region::kConnection);

  table.Add(link::cmd::kWriteBlock2, [](const EcuRequest& r, EcuMemory& m) {
    if (r.data.size() != kBlock2Size) {
      return Refused();
    }
    const auto b = m.Region(region::kBlock2);
    std::copy(r.data.begin(), r.data.end(), b.begin());
    // 65535 resets a running-hours counter with its minutes.
    for (const auto& [hours, minutes] : {std::pair{block2::kGasHours, block2::kGasMinutes},
                                         std::pair{block2::kPetrolHours, block2::kPetrolMinutes}}) {
      if (WordAt(b, hours) == block2::kResetCounter) {
        PutWordAt(b, hours, 0);
        PutWordAt(b, minutes, 0);
      }
    }
    // A service interval with its top bit set restarts the count since the
    // last service; the interval itself is kept without the bit.
    const std::uint16_t interval = WordAt(b, block2::kServiceInterval);
    if ((interval & block2::kRestartService) != 0) {
      PutWordAt(b, block2::kServiceInterval,
                static_cast<std::uint16_t>(interval & ~block2::kRestartService));
      PutWordAt(b, block2::kSinceService, 0);
      PutWordAt(b, block2::kGasMinutes, 0);
    }
    ObserveTuningWrite(m);
    return Written();
  });
  AddWholeWrite(table, kWriteConnection, region::kConnection);
  table.Add(link::cmd::kWriteBlock3, [](const EcuRequest& r, EcuMemory& m) {
    if (r.data.size() != kBlock3Size) {
      return Refused();
    }
    std::copy(r.data.begin(), r.data.end(), m.Region(region::kBlock3).begin());
    const auto coll = m.Region(region::kConnection);
    coll[kConnectionCylinders] = r.data[kBlock3Cylinders];
    coll[kConnectionCylinders + 1] = 0;
    return Written();
  });
}

}  // namespace velmora::sim
