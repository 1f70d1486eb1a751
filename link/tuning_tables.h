#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/bytes.h"
#include "link/ecu_access.h"
#include "link/ecu_frame.h"

namespace velmora::link {

enum class TuningTable { kTBenz, kTGas, kTRisult, kTIsto };

// Each table is kept as the ECU's whole answer frame: header, result byte,
// a header byte and 120 cells, then the check byte.
inline constexpr std::size_t kTuningTableData = 121;
inline constexpr std::size_t kTuningCells = 120;

struct TuningTableCommands {
  TuningTable table;
  std::uint8_t read;
  std::uint8_t reset;
};
// In the order the tables are read.
inline constexpr std::array<TuningTableCommands, 4> kTuningTableCommands{{
    {TuningTable::kTBenz, cmd::kReadTBenz, cmd::kResetTBenz},
    {TuningTable::kTGas, cmd::kReadTGas, cmd::kResetTGas},
    {TuningTable::kTRisult, cmd::kReadTRisult, cmd::kResetTRisult},
    {TuningTable::kTIsto, cmd::kReadTIsto, cmd::kResetTIsto},
}};

struct TuningTables {
  Bytes tbenz;
  Bytes tgas;
  Bytes trisult;
  Bytes tisto;
  [[nodiscard]] Bytes& Get(TuningTable t);
};

// Reads the four tables under the link parameter wrap. `out` changes only
// when all four were read; an answer too short to be a table is error 3.
[[nodiscard]] int LeggiTabelleTaratura(EcuAccess& ecu, TuningTables* out);

// The reset frame of a table ("[TRisult]" carries its 120 zero cells).
[[nodiscard]] Bytes ResetFrame(TuningTable table);

// Clears one table in the ECU (one frame, no wrap) and, when that worked,
// empties the program's copy.
[[nodiscard]] int ResetTuningTable(EcuAccess& ecu, TuningTable table, TuningTables* copy);

}  // namespace velmora::link
