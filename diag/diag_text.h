#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionary.h"

namespace velmora::diag {

// The language the diagnostic pages read their catalogue and lists in: the
// chosen one, or the first when none is chosen yet.
[[nodiscard]] int ReadingLanguage(const core::ClsLingue& lingue);

// Where `key` stands among the reading language's entries, searched from
// the first; -1 when it is not there.
[[nodiscard]] int KeyIndex(const core::ClsLingue& lingue, std::string_view key);

// Entry `index` of the reading language; empty outside it.
[[nodiscard]] std::string EntryText(const core::ClsLingue& lingue, int index);

// The items of the "|"-separated list on the entry after `key`, trimmed;
// empty when the key is missing.
[[nodiscard]] std::vector<std::string> ListAfterKey(const core::ClsLingue& lingue,
                                                    std::string_view key);

// The number an item starts with: "1500 rpm" 1500, "0,8 bar" 0.8,
// "-5 %" -5; nullopt when it starts with none ("OFF", "Always").
[[nodiscard]] std::optional<double> LeadingNumber(std::string_view item);

// A count of minutes as the counters show it: a blank, the whole hours, a
// point and the minutes as two digits (725 gives " 12.05").
[[nodiscard]] std::string HoursDotMinutes(long long minutes);

}  // namespace velmora::diag
