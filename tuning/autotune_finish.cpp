#include "tuning/autotune_finish.h"

#include "core/text.h"
#include "maps/map_table.h"
#include "tuning/autotune_centring.h"
#include "tuning/autotune_map.h"
#include "tuning/autotune_texts.h"

namespace velmora::tuning {
namespace {

namespace tf = tune_field;

// The page the ECU's own routine shows when it takes the map itself.
constexpr int kAlternativePage = 6;

int BuildMap(RunContext& ctx, const RunOutcome& out) {
  if (!ctx.Read(tf::kBlock2) || !ctx.Read(tf::kBlock6)) {
    return tune_result::kLinkFailed;
  }
  MapBuildInput in;
  in.idle_reference = out.idle_reference;
  in.idle_correction = ctx.Value(tf::kBlock2, tf::kCorrection);
  if (const int r = ReadWorkingPoint(ctx, in.rpm_index, in.time_index); r != tune_result::kDone) {
    return r;
  }
  in.record = FindRecord(ctx.env.coefficients, ctx.Value(tf::kBlock6, tf::kSystemId));
  in.stepped = (ctx.Value(tf::kBlock6, tf::kBlock6Bits) & tf::kSteppedBit) != 0;
  std::optional<Bytes> map = BuildTunedMap(in);
  if (!map) {
    return tune_result::kStateRefused;
  }
  TakeTunedMap(ctx.env.image, std::move(*map));
  return tune_result::kDone;
}

}  // namespace

int BuildAndCentre(RunContext& ctx, const RunOutcome& out) {
  if (!ctx.AlternativePath()) {
    if (const int r = BuildMap(ctx, out); r != tune_result::kDone) {
      return r;
    }
  }
  if (ctx.params.disabilita_centraggio == 1 && out.pressure.count > 0) {
    const auto p = static_cast<int>(
        core::RoundHalfEven(static_cast<double>(out.pressure.sum) / out.pressure.count));
    if (!CentrePressureTable(ctx, p)) {
      return tune_result::kLinkFailed;
    }
  }
  return ctx.Cancelled() ? tune_result::kCancelled : tune_result::kDone;
}

int WriteResult(RunContext& ctx) {
  ctx.ShowStep(tune_timing::kSteps);
  ctx.Say(autotune_text::kWriting);
  if (!ctx.links.calibration.WriteMap(0)) {
    return tune_result::kLinkFailed;
  }
  const bool alternative = ctx.AlternativePath();
  if (!alternative) {
    KeepWrittenMap(ctx.env.image);
    const maps::MapInfo& base = maps::InfoOfMap(0);
    ctx.env.window.RefreshPage(base.grid_page);
    ctx.env.window.RefreshPage(base.carb_page);
  }
  if (ctx.env.session.Connected()) {
    ctx.env.session.EnablePages(true);
    const Bytes& record = ctx.env.image.companion;
    const std::uint8_t flags = record.size() > tf::kViewByte ? record[tf::kViewByte] : 0;
    ctx.env.window.SelezioneScheda(alternative ? kAlternativePage : maps::PageOfMap(0, flags));
  }
  return tune_result::kDone;
}

}  // namespace velmora::tuning
