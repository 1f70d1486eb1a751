#include "diag/obd_live.h"

#include "core/text_block.h"
#include "diag/diag_requests.h"
#include "diag/mod_nex_obd.h"

namespace velmora::diag {

namespace {

// Raw fuel trims of entry 12: short- and long-term of bank 1, of bank 2.
constexpr std::array<std::size_t, 4> kTrimFields = {30, 34, 38, 42};
constexpr int kClosedLoop = 2;
constexpr int kClosedLoopSensorFault = 16;
constexpr std::string_view kObdMarker = "[Frm_MapObd]";
constexpr int kFirstStatusText = 20;

}  // namespace

bool ObdLive::ClosedLoop(std::size_t bank) const {
  return bank < fuel_status.size() &&
         (fuel_status[bank] & (kClosedLoop | kClosedLoopSensorFault)) != 0;
}

ObdLive ReadObdLive(const link::MessageTable& table) {
  ObdLive v;
  const auto field = [&table](std::size_t f) { return table.Value(diag_entry::kObdData, f); };
  v.read = !table.LastAnswer(diag_entry::kObdData).empty();
  v.ecus = field(obd_field::kEcus);
  v.protocol = field(obd_field::kProtocol);
  v.address = field(obd_field::kAddress);
  v.bank2 = field(obd_field::kBank2) != 0;
  for (std::size_t i = 0; i < kTrimFields.size(); ++i) {
    v.trims[i] = TrimPercent(field(kTrimFields[i]));
  }
  v.fuel_status = {field(obd_field::kStatusBank1), field(obd_field::kStatusBank2)};
  const std::size_t used = v.bank2 ? 4 : 2;
  int sum = 0;
  for (std::size_t i = 0; i < used; ++i) {
    sum += v.trims[i];
  }
  v.average = sum / static_cast<int>(used);
  return v;
}

std::string FuelStatusTexts::Of(int status) const {
  for (std::size_t b = 0; b < bits.size(); ++b) {
    if ((status & (1 << b)) != 0) {
      return bits[b];
    }
  }
  return std::string(kNoValue);
}

FuelStatusTexts FuelStatusTextsFrom(const core::ClsLingue& lingue) {
  FuelStatusTexts t;
  const core::TextBlock block(lingue, kObdMarker);
  for (std::size_t b = 0; b < t.bits.size(); ++b) {
    block.Take(kFirstStatusText + static_cast<int>(b), t.bits[b]);
  }
  return t;
}

}  // namespace velmora::diag
