#include "diag/obd_controls.h"

#include <cmath>

#include "core/text.h"
#include "diag/diag_requests.h"
#include "diag/diag_text.h"
#include "session/request_codes.h"

namespace velmora::diag {

namespace {

namespace rq = session::request;
namespace e = diag_entry;
using enum ObdControl;
using enum Coding;
using enum Target;

constexpr std::size_t kMilField = 0;     // of entry 19
constexpr std::size_t kOptionField = 2;  // of entry 2

constexpr std::array<ControlSpec, kObdControls> kSpecs = {{
    {kVacuumThreshold, kRecord, 0, 11, 0, rq::kParameterRecord, kPosition, "[CmbSogliaVac]"},
    {kAcquisitionPeriod, kRecord, 0, 12, 0, rq::kParameterRecord, kPosition, "[CmbPeriodAcq]"},
    {kTarget, kRecord, 0, 13, 0, rq::kParameterRecord, kSignedByte, "[CmbTarget]"},
    {kAdaptationRpm, kRecord, 0, 5, 0, rq::kParameterRecord, kPosition, "[CmbSOH_RPM_ADAT]"},
    {kMaxCorrection, kEntry, e::kBlock3, 48, 0, rq::kEntry3List, kNumber, "[CmbMaxValCorr]"},
    {kMinDifference, kEntry, e::kBlock3, 50, 0, rq::kEntry3List, kNumber, "[CmbMiDiff]"},
    {kMapDivider, kEntry, e::kBlock8, 26, 0, rq::kEntry16List, kPosition, "[MOLTIPLICATORE]"},
    {kClosedLoopDelay, kEntry, e::kObdData2, 2, 0, rq::kEntry14List, kThousandths,
     "[CmbClosedLoopDelay]"},
    {kAdaptationHours, kEntry, e::kObdData2, 3, 0, rq::kEntry14List, kHoursAlways, "[CmbOreAdat]"},
    {kAdaptationTemp, kEntry, e::kObdData2, 7, 0, rq::kEntry14List, kNumber, "[CmbTempAdat]"},
    {kRailPid,
     kEntry,
     e::kObdData,
     obd_field::kRailPid,
     0,
     rq::kEntry12List,
     Coding::kPidAddress,
     {}},
    {kBlockObd, kEntry, e::kObdErrors, kMilField, 32, rq::kEntry19List, kBit, {}},
    {kMilKeyOn, kEntry, e::kObdErrors, kMilField, 16, rq::kEntry19List, kBit, {}},
    {kMilKeyOff, kEntry, e::kObdErrors, kMilField, 2, rq::kEntry19List, kBit, {}},
    {kMilPermanent, kEntry, e::kObdErrors, kMilField, 8, rq::kEntry12And19, kBit, {}},
    {kMilOnce, kEntry, e::kBlock2, kOptionField, 64, rq::kEntry2List, kBit, {}},
    {kAddDtc, kEntry, e::kObdErrors, 1, 0, rq::kEntry19List, kDtcList, {}},
    {kRemoveDtc, kEntry, e::kObdErrors, 1, 0, rq::kEntry19List, kDtcList, {}},
    {kRun, kEntry, e::kObdData, obd_field::kRun, 1, rq::kObdRun, kFixed, {}},
    {kStop, kEntry, e::kObdData, obd_field::kRun, 0, rq::kEntry12List, kFixed, {}},
    {kLink, kEntry, e::kObdData, obd_field::kEnabled, 0, rq::kEntry12List, kPosition, {}},
    {kManagement, kEntry, e::kObdData2, 0, 0, rq::kEntry14List, kPosition, {}},
    {kBank2, kEntry, e::kObdData, obd_field::kBank2, 0, rq::kEntry12List, kFlag, {}},
    {kProtocolChoice,
     kEntry,
     e::kObdData,
     obd_field::kProtocolChoice,
     0,
     rq::kEntry12List,
     kPosition,
     {}},
}};

constexpr std::int32_t kAlways = 65535;
constexpr double kThousand = 1000;
constexpr int kMinSigned = -128;
constexpr int kMaxSigned = 127;
constexpr int kByteRange = 256;

bool InRange(int choice, std::size_t count) {
  return choice >= 0 && static_cast<std::size_t>(choice) < count;
}

std::optional<std::int32_t> NumberOf(const std::vector<std::string>& items, int choice) {
  const auto n = LeadingNumber(items[static_cast<std::size_t>(choice)]);
  if (!n) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(core::RoundHalfEven(*n));
}

}  // namespace

const ControlSpec& SpecOf(ObdControl id) {
  return kSpecs[static_cast<std::size_t>(id)];
}

std::optional<std::int32_t> ValueFor(const ControlSpec& control,
                                     const std::vector<std::string>& items, int choice) {
  switch (control.coding) {
    case kFlag:
    case kBit:
      return choice != 0 ? 1 : 0;
    case kFixed:
      return control.bit;
    case Coding::kPidAddress:
      return InRange(choice, kRailPids.size()) ? std::optional(kRailPids[choice]) : std::nullopt;
    case kDtcList:
      return std::nullopt;
    default:
      break;
  }
  if (!InRange(choice, items.size())) {
    return std::nullopt;
  }
  switch (control.coding) {
    case kPosition:
      return choice;
    case kThousandths: {
      const auto n = LeadingNumber(items[static_cast<std::size_t>(choice)]);
      return n ? std::optional(static_cast<std::int32_t>(std::floor(*n * kThousand + 1e-9)))
               : std::nullopt;
    }
    case kHoursAlways:
      return choice == 0 ? std::optional(kAlways) : NumberOf(items, choice);
    case kSignedByte: {
      const auto n = NumberOf(items, choice);
      if (!n || *n < kMinSigned || *n > kMaxSigned) {
        return std::nullopt;
      }
      return *n < 0 ? *n + kByteRange : *n;
    }
    default:
      return NumberOf(items, choice);
  }
}

int ChoiceFor(const ControlSpec& control, const std::vector<std::string>& items,
              std::int32_t value) {
  switch (control.coding) {
    case kFlag:
      return value != 0 ? 1 : 0;
    case kBit:
      return (value & control.bit) != 0 ? 1 : 0;
    case kFixed:
    case kDtcList:
      return -1;
    default:
      break;
  }
  const std::size_t count = control.coding == Coding::kPidAddress ? kRailPids.size() : items.size();
  for (std::size_t k = 0; k < count; ++k) {
    if (ValueFor(control, items, static_cast<int>(k)) == value) {
      return static_cast<int>(k);
    }
  }
  return -1;
}

}  // namespace velmora::diag
