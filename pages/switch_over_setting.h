#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "pages/page_services.h"
#include "pages/value_entry.h"

namespace velmora::pages {

// The switch-over coolant temperature in block 3, offered from the main
// window so that a write to the ECU can be tried before the switch-over
// page exists. The range is the one the switch-over settings offer.
namespace switch_over_setting {
inline constexpr std::size_t kEntry = 3;
inline constexpr std::int32_t kField = 2;
inline constexpr std::int32_t kMinC = 15;
inline constexpr std::int32_t kMaxC = 60;
// Add moves across the whole range; percent at most doubles or zeroes it.
inline constexpr double kMaxStepC = kMaxC - kMinC;
inline constexpr double kMaxPercent = 100;
}  // namespace switch_over_setting

// The value entry dialog's limits for this setting.
[[nodiscard]] pages::Limits SwitchOverLimits();

// The temperature the dialog's result asks for, starting from `current`
// and kept within the range; nullopt when the dialog was cancelled.
[[nodiscard]] std::optional<std::int32_t> SwitchOverTarget(std::int32_t current,
                                                           const pages::EnteredValue& result);

enum class PostOutcome {
  kPosted,
  kNotConnected,  // nothing to write to
  kBusy,          // another request is pending: nothing listed
};

// Lists the new temperature for block 3 and asks the session to write it
// (request 7) while the session is in `state`; the session reads the block
// back, so the value shown is the ECU's.
[[nodiscard]] PostOutcome PostSwitchOverTemperature(PageSession& session, int state,
                                                    std::int32_t celsius);

}  // namespace velmora::pages
