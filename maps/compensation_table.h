#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/ecu_frame.h"
#include "link/message_table.h"
#include "maps/map_grid_ops.h"

namespace velmora::maps {

// The five compensation tables: their kinds (the index of each table's
// controls) and what every table shares.
namespace compensation {
inline constexpr int kGasTemperature = 0;
inline constexpr int kReducerTemperature = 1;
inline constexpr int kGasPressure = 2;
inline constexpr int kPetrolPressure = 3;
inline constexpr int kLeanOut = 4;
inline constexpr int kKinds = 5;
inline constexpr int kAllKinds = 255;  // the table to write: every one
// Breakpoint and correction pairs: breakpoint i is field 2i, its
// correction field 2i + 1.
inline constexpr int kPairs = 15;
inline constexpr int kColumns = kPairs + 1;  // the units' column first
inline constexpr int kBreakpointRow = 0;
inline constexpr int kCorrectionRow = 1;
// Centring takes a reference column from these only.
inline constexpr int kFirstCentreColumn = 2;
inline constexpr int kLastCentreColumn = 13;
inline constexpr int kMinCorrection = -100;
inline constexpr int kMaxCorrection = 100;
inline constexpr int kPairsInUse = kPairs;  // a table switched on uses all of them
inline constexpr double kZeroCelsiusK = 273.15;
inline constexpr double kPressureScale = 1000;  // the headings' and multipliers' unit
inline constexpr std::int32_t kDefaultMultiplier = 1000;
}  // namespace compensation

// One table: the message-table entry holding it, its write command, the
// field counting the pairs in use (the table's switch), and the main live
// record's field of its operating point.
struct CompensationKind {
  std::size_t entry;
  std::uint8_t write_command;
  std::size_t in_use_field;
};

inline constexpr std::array<CompensationKind, compensation::kKinds> kCompensationKinds{{
    {8, link::cmd::kWriteComTgasx, 31},
    {7, link::cmd::kWriteComTridx, 31},
    {9, link::cmd::kWriteComPgasx, 31},
    {17, link::cmd::kWriteComPbenx, 31},
    {13, link::cmd::kWriteComSmag, 33},
}};

// The lean-out table's two acceleration settings, list positions.
namespace lean_out {
inline constexpr std::size_t kEntryField = 30;  // CmbSmagAccIngresso
inline constexpr std::size_t kExitField = 31;   // CmbSmagAccUscita
inline constexpr int kExitSteps = 16;           // HSC_Permanenza 1..16
}  // namespace lean_out

// The live values each table's operating point comes from (entry 1).
namespace compensation_live {
inline constexpr std::size_t kEntry = 1;
inline constexpr std::size_t kFirstPetrolTime = 7;  // fields 7..14, us
inline constexpr std::size_t kCylinders = 8;
inline constexpr std::size_t kGasPressure = 33;     // mbar
inline constexpr std::size_t kPetrolPressure = 34;  // mV
inline constexpr std::size_t kReducerTemperature = 43;
inline constexpr std::size_t kGasTemperature = 44;
inline constexpr double kSensorMvPerByte = 1000.0 / 51;
inline constexpr double kUsPerMs = 1000;
}  // namespace compensation_live

// The ABS compensation: bit 2 of entry 16 field 44.
namespace abs_flag {
inline constexpr std::size_t kEntry = 16;
inline constexpr std::int32_t kField = 44;
inline constexpr std::int32_t kBit = 4;
}  // namespace abs_flag

// A table as the ECU holds it: raw breakpoints and corrections.
struct CompensationValues {
  std::array<std::int32_t, compensation::kPairs> breakpoints{};
  std::array<std::int32_t, compensation::kPairs> corrections{};
  std::int32_t in_use = 0;
};

[[nodiscard]] CompensationValues ReadCompensation(const link::MessageTable& table, int kind);
void StoreCompensation(link::MessageTable& table, int kind, const CompensationValues& values);

// The pressure scaling lists of ConfigScale.ini, and the messages for the
// keys that were missing.
struct PressureScaling {
  std::optional<std::vector<std::int32_t>> breakpoints;  // nullopt: key missing
  std::optional<std::vector<std::int32_t>> corrections;
  std::vector<std::string> errors;  // exact messages, in the keys' order
  // Column c's multiplier (c from 1); 1000 for a missing item, a zero or a
  // list that was not found.
  [[nodiscard]] static std::int32_t Of(const std::optional<std::vector<std::int32_t>>& list,
                                       int column);
};

inline constexpr std::string_view kScaleKey = "[Moltiplicatore Scala Pressioni]";
inline constexpr std::string_view kCorrectionKey = "[Moltiplicatore Correzione]";

// Reads both lists from the lines of the ECU configuration file.
[[nodiscard]] PressureScaling ReadPressureScaling(const std::vector<std::string>& lines);

// A gas-pressure heading in bar: round(trunc(multiplier x P / 1000) / 1000,
// 2), P the breakpoint in mbar.
[[nodiscard]] double PressureHeading(std::int32_t multiplier, std::int32_t mbar);

// The breakpoint row as the grid shows it: degrees and milliseconds as
// they are, gas pressure as its heading (raw without the scaling list),
// the petrol pressure sensor byte in volts.
[[nodiscard]] std::string BreakpointText(int kind, std::int32_t raw, int column,
                                         const PressureScaling& scaling);
// A petrol pressure sensor byte through the sensor line, in bar; the raw
// byte when the line is unknown (m = q = 0).
[[nodiscard]] std::string PetrolBarText(std::int32_t byte, PressureLine line);

// A correction as the grid shows it (gas pressure through its multiplier)
// and the raw value a shown correction stores.
[[nodiscard]] std::int32_t ShownCorrection(int kind, std::int32_t raw, int column,
                                           const PressureScaling& scaling);
[[nodiscard]] std::int32_t RawCorrection(int kind, std::int32_t shown, int column,
                                         const PressureScaling& scaling);

// CmdCentraQui's rule over the breakpoints `x` as shown (column c is x[c -
// 1]) with the reference column `column` and the amplitude F: temperature
// tables F x sqrt((x + 273.15) / (x0 + 273.15)) - F, pressure tables F - F
// x sqrt(x / x0), each rounded half to even and kept within the correction
// range. nullopt when centring is refused: the lean-out table, a column
// outside 2..13, or a reference the rule cannot divide by (a pressure of
// 0 or below, a temperature at or below absolute zero).
[[nodiscard]] std::optional<std::vector<std::int32_t>> CentredCorrections(int kind,
                                                                          std::span<const double> x,
                                                                          int column, int factor);

// The column of a table's operating point: the last one whose raw
// breakpoint is not above `value`, column 1 below the first.
[[nodiscard]] int OperatingColumn(const CompensationValues& values, double value);

}  // namespace velmora::maps
