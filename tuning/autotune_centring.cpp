#include "tuning/autotune_centring.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/hex.h"
#include "core/paths.h"
#include "core/text.h"
#include "link/ecu_frame.h"

namespace velmora::tuning {
namespace {

namespace tf = tune_field;

constexpr std::int32_t kBreakpointMax = 0xFFFF;  // a 16-bit word in the ECU
constexpr std::string_view kSection = "[COM_PGASX]";

std::size_t Field(int pair, int part) {
  return static_cast<std::size_t>(2 * pair + part);
}

// The section's frame from the reference calibration, when it is a sound
// answer frame of the table's own command.
std::optional<Bytes> ReferenceFrame(const RunContext& ctx) {
  const std::string& name = ctx.env.session.ChosenCalibration();
  if (name.empty()) {
    return std::nullopt;
  }
  std::vector<std::string> lines;
  if (!core::LeggiRighe(ctx.env.paths.lng + core::kSep + name + ".xsi", lines)) {
    return std::nullopt;
  }
  const auto key = std::find(lines.begin(), lines.end(), kSection);
  if (key == lines.end() || key + 1 == lines.end()) {
    return std::nullopt;
  }
  const std::optional<Bytes> frame = core::HexToBin(core::Trim(*(key + 1)));
  const Bytes& known = ctx.env.table.LastAnswer(tf::kPressureTable);
  if (!frame || frame->size() < link::kMinFrameSize || (*frame)[0] != link::kAnswerFirst ||
      link::CheckXor(*frame) != 0 || (!known.empty() && known.size() != frame->size())) {
    return std::nullopt;
  }
  return frame;
}

bool WriteTable(RunContext& ctx) {
  return session::WriteWholeEntry(ctx.links.ecu, ctx.env.table, tf::kPressureTable,
                                  link::cmd::kWriteComPgasx) == link::kOk;
}

}  // namespace

PressureTable PressureTableOf(const link::MessageTable& table) {
  PressureTable t;
  for (int i = 0; i < kPressurePairs; ++i) {
    const auto k = static_cast<std::size_t>(i);
    t.x[k] = table.Value(tf::kPressureTable, Field(i, 0));
    t.correction[k] = table.Value(tf::kPressureTable, Field(i, 1));
  }
  t.centred = table.Value(tf::kPressureTable, tf::kCentredFlag);
  t.pairs = table.Value(tf::kPressureTable, tf::kPairsInUse);
  return t;
}

void PutPressureTable(link::MessageTable& table, const PressureTable& t) {
  for (int i = 0; i < kPressurePairs; ++i) {
    table.SetValue(tf::kPressureTable, Field(i, 0), t.x[static_cast<std::size_t>(i)]);
  }
  table.SetValue(tf::kPressureTable, tf::kCentredFlag, t.centred);
  table.SetValue(tf::kPressureTable, tf::kPairsInUse, t.pairs);
}

std::optional<PressureTable> CentreTable(const PressureTable& t, int pressure) {
  int k = 0;
  while (k < kCountedPairs && t.correction[static_cast<std::size_t>(k)] != 0) {
    ++k;
  }
  if (k == 0) {
    return std::nullopt;
  }
  const auto upper = static_cast<std::size_t>(k);
  const std::int32_t d = static_cast<std::int32_t>(
      core::RoundHalfEven((static_cast<double>(t.x[upper]) - t.x[upper - 1]) / 2.0));
  const std::int64_t shift = std::int64_t{t.x[upper - 1]} - (pressure - d);
  PressureTable out = t;
  for (std::int32_t& x : out.x) {
    x = static_cast<std::int32_t>(std::clamp<std::int64_t>(x - shift, 0, kBreakpointMax));
  }
  out.pairs = k;
  out.centred = 1;
  return out;
}

bool ClearCentredFlag(RunContext& ctx) {
  ctx.env.table.SetValue(tf::kPressureTable, tf::kCentredFlag, 0);
  return WriteTable(ctx);
}

bool CentrePressureTable(RunContext& ctx, int pressure) {
  if (const std::optional<Bytes> frame = ReferenceFrame(ctx)) {
    ctx.env.table.DecodificaRisposta(*frame, tf::kPressureTable);
  }
  const std::optional<PressureTable> centred =
      CentreTable(PressureTableOf(ctx.env.table), pressure);
  if (!centred) {
    return true;
  }
  PutPressureTable(ctx.env.table, *centred);
  return WriteTable(ctx);
}

}  // namespace velmora::tuning
