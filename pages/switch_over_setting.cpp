#include "pages/switch_over_setting.h"

#include <algorithm>
#include <cmath>

#include "core/session_flags.h"

namespace velmora::pages {

namespace sw = switch_over_setting;

pages::Limits SwitchOverLimits() {
  return pages::Limits{{sw::kMaxStepC, -sw::kMaxStepC},
                       {sw::kMaxPercent, -sw::kMaxPercent},
                       {static_cast<double>(sw::kMaxC), static_cast<double>(sw::kMinC)}};
}

std::optional<std::int32_t> SwitchOverTarget(std::int32_t current,
                                             const pages::EnteredValue& result) {
  const double value = result.value;
  double wanted = 0;
  switch (result.operation) {
    case pages::value_op::kAdd:
      wanted = current + value;
      break;
    case pages::value_op::kPercent:
      wanted = current * (1.0 + value / 100.0);
      break;
    case pages::value_op::kSet:
      wanted = value;
      break;
    default:
      return std::nullopt;
  }
  if (!std::isfinite(wanted)) {
    return std::nullopt;
  }
  const double rounded = std::nearbyint(wanted);
  return static_cast<std::int32_t>(
      std::clamp(rounded, static_cast<double>(sw::kMinC), static_cast<double>(sw::kMaxC)));
}

PostOutcome PostSwitchOverTemperature(PageSession& session, int state, std::int32_t celsius) {
  if (state != core::session_state::kConnected) {
    return PostOutcome::kNotConnected;
  }
  if (session.PendingRequest() != session::request::kNone) {
    return PostOutcome::kBusy;
  }
  if (!session.Lists().Append(sw::kEntry, {celsius, sw::kField, 0})) {
    return PostOutcome::kBusy;
  }
  if (!session.PostRequest(session::request::kEntry3List)) {
    session.Lists().Clear(sw::kEntry);
    return PostOutcome::kBusy;
  }
  return PostOutcome::kPosted;
}

}  // namespace velmora::pages
