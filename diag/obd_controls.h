#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::diag {

// The OBD page's controls that write to the ECU. The first group is handled
// by AggiornaVisualizzazioni, one per tick in this order; the second by
// AggiornaVisualizzazione, in its order.
enum class ObdControl : std::size_t {
  kVacuumThreshold,    // CmbSogliaVac
  kAcquisitionPeriod,  // CmbPeriodAcq
  kTarget,             // CmbTarget
  kAdaptationRpm,      // CmbSOH_RPM_ADAT
  kMaxCorrection,      // CmbMaxValCorr
  kMinDifference,      // CmbMiDiff
  kMapDivider,         // CMB_divMappaObd
  kClosedLoopDelay,    // CmbClosedLoopDelay
  kAdaptationHours,    // CmbOreAdat
  kAdaptationTemp,     // CmbTempAdat
  kRailPid,            // cmbPIDPressRail
  kBlockObd,           // chkbloccaOBD
  kMilKeyOn,           // CHK_SpegniSpiaKeyOn
  kMilKeyOff,          // CHK_SpegniSpiaKeyOff
  kMilPermanent,       // CHK_SpegniSpiaPermanente
  kMilOnce,            // CHK_SpegniSpiaOneShot
  kAddDtc,             // CHK_AggiungiErrore
  kRemoveDtc,          // CHK_TogliErrore
  kRun,                // CmdRunObd
  kStop,               // CmdStopObd
  kLink,               // CmbAbilObd
  kManagement,         // CmbGestObd
  kBank2,              // ChkBankB2
  kProtocolChoice,     // CmbTipoObd
  kCount,
};
inline constexpr std::size_t kObdControls = static_cast<std::size_t>(ObdControl::kCount);
inline constexpr ObdControl kFirstLinkControl = ObdControl::kRun;

// How a control's choice becomes the value written.
enum class Coding {
  kPosition,     // the list position
  kNumber,       // the number the item shows
  kThousandths,  // the number x 1000, truncated
  kHoursAlways,  // the number, 65535 for the first item
  kSignedByte,   // the number as a signed byte (a negative one plus 256)
  kPidAddress,   // the PID the item stands for
  kFlag,         // checked 1, else 0
  kBit,          // a bit record: set when checked, cleared when not
  kFixed,        // a button: the value in `bit`
  kDtcList,      // the selective-clear list, built by the page
};

// Where a control's value goes: a byte of the "[BLK_5]" parameter record or
// a field of an entry.
enum class Target { kRecord, kEntry };

struct ControlSpec {
  ObdControl id;
  Target target;
  std::size_t entry;  // for kEntry
  std::size_t field;  // the record's byte for kRecord
  std::int32_t bit;   // kBit's mask; kFixed's value
  int request;        // the request code posted
  Coding coding;
  std::string_view key;  // dictionary key of the items; empty: built in
};

[[nodiscard]] const ControlSpec& SpecOf(ObdControl id);

// The value choice `choice` writes; nullopt when its item lacks the number
// the coding needs.
[[nodiscard]] std::optional<std::int32_t> ValueFor(const ControlSpec& control,
                                                   const std::vector<std::string>& items,
                                                   int choice);

// The choice that shows the ECU's `value`; -1 when no item does.
[[nodiscard]] int ChoiceFor(const ControlSpec& control, const std::vector<std::string>& items,
                            std::int32_t value);

// The rail-pressure PIDs of cmbPIDPressRail's items.
inline constexpr std::array<std::int32_t, 5> kRailPids = {0, 0x0A, 0x22, 0x23, 0x59};

}  // namespace velmora::diag
