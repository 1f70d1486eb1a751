#pragma once

#include <cstdint>
#include <string>

namespace velmora::pages {

// How the ECU holds the lambda emulation's voltages and offsets, one byte
// each.
namespace lambda_code {
inline constexpr double kStepMv = 19.6;  // one step of the ECU's converter
inline constexpr double kMaxMv = 4990;   // the highest voltage a byte can hold
inline constexpr double kGridBoundMv = 127000;
inline constexpr int kOffsetBias = 127;  // an offset is stored as offset + 127
inline constexpr int kMinOffset = -kOffsetBias;
inline constexpr int kMaxOffset = 255 - kOffsetBias;
inline constexpr int kMaxByte = 255;
inline constexpr double kMvPerVolt = 1000;
// Record positions of the probe list with limits of their own.
inline constexpr int kNoProbe = 0;
inline constexpr int kZeroToOneVolt = 1;  // 0 .. 1000 mV
inline constexpr int kOffsetProbe = 4;    // 800 .. 1600 mV
inline constexpr int kNoPreCatalyst = 5;  // no emulation before the catalyst
inline constexpr double kZeroToOneMaxMv = 1000;
inline constexpr double kOffsetProbeMinMv = 800;
inline constexpr double kOffsetProbeMaxMv = 1600;
}  // namespace lambda_code

// The voltages a probe accepts, by its position in the probe list.
struct MvRange {
  double lo = 0;
  double hi = lambda_code::kMaxMv;
};
[[nodiscard]] MvRange ProbeRange(int record_index);

// A level in millivolts as its voltage step code: (mV - 19.6) / 19.6 rounded
// halves to even, 0 for 0 mV and below; the level is first held within
// 0..4990 mV, so the code always fits its byte.
[[nodiscard]] std::int32_t LevelCode(double mv);
// The millivolts a level code stands for.
[[nodiscard]] double LevelMv(std::int32_t code);

// A voltage cell of the emulation table: mV / 19.6 rounded halves to even,
// kept within `range` (and a byte).
[[nodiscard]] std::int32_t VoltageCellCode(double mv, const MvRange& range);
[[nodiscard]] double VoltageCellMv(std::int32_t code);
// An offset cell: offset + 127, the offset held within -127..128.
[[nodiscard]] std::int32_t OffsetCellCode(std::int64_t offset);
[[nodiscard]] int OffsetOfCode(std::int32_t code);

// Millivolts as volts with two decimals ("0.90").
[[nodiscard]] std::string VoltsText(double mv);

}  // namespace velmora::pages
