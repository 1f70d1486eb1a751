#include "acq/logger_types.h"

#include <algorithm>

namespace velmora::acq {

namespace {

// Trace colours before a setup file names its own (0x00BBGGRR): distinct
// hues that stay readable on a light plot.
constexpr std::array<std::int32_t, logger::kChannels> kDefaultColours = {
    0x0000C0, 0x00A000, 0xC00000, 0x00A0C0, 0xC000C0, 0x0080FF, 0x808000, 0x404040,
};

// Gain steps by variable: temperatures move in big steps, lambda and the
// petrol pressure in medium ones, everything else in small ones.
struct GainClass {
  std::array<std::int32_t, 5> ids;
  std::size_t count;
  GainStep step;
};
constexpr std::array<GainClass, 2> kGainClasses = {{
    {{43, 44}, 2, {2000, 20000}},
    {{34, 36, 37, 39, 40}, 5, {100, 1000}},
}};
constexpr GainStep kOtherGain = {10, 1000};

}  // namespace

Channels DefaultChannels() {
  Channels channels;
  for (std::size_t c = 0; c < channels.size(); ++c) {
    channels[c].variable_id = logger::kDefaultIds[c];
    channels[c].colour = kDefaultColours[c];
  }
  return channels;
}

std::string_view NameIn(const Variable& v, int language) {
  if (v.names.empty()) {
    return {};
  }
  if (language >= 0 && static_cast<std::size_t>(language) < v.names.size()) {
    return v.names[static_cast<std::size_t>(language)];
  }
  return v.names.front();
}

GainStep GainStepOf(std::int32_t variable_id) {
  for (const GainClass& g : kGainClasses) {
    const auto end = g.ids.begin() + static_cast<std::ptrdiff_t>(g.count);
    if (std::find(g.ids.begin(), end, variable_id) != end) {
      return g.step;
    }
  }
  return kOtherGain;
}

ChannelIds IdsOf(const Channels& channels) {
  ChannelIds ids{};
  for (std::size_t c = 0; c < channels.size(); ++c) {
    ids[c] = channels[c].variable_id;
  }
  return ids;
}

}  // namespace velmora::acq
