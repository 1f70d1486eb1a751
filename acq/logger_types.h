#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::acq {

// The logger's fixed numbers: eight channels, samples of nine integers (the
// time, then one value per channel), and the plot's geometry in twips.
namespace logger {
inline constexpr std::size_t kChannels = 8;
inline constexpr std::size_t kStride = 1 + kChannels;
// Variables of the main live record shown before the setup file is read.
inline constexpr std::array<std::int32_t, kChannels> kDefaultIds = {15, 7, 33, 49, 36, 43, 44, 32};
inline constexpr std::int32_t kDefaultZoom = 100;
inline constexpr std::int32_t kMaxOffset = 98;
inline constexpr int kLeftMarginTwips = 150;
// The zero line of a trace lies this far below the top of its arrow.
inline constexpr int kArrowCentreTwips = 135;
inline constexpr int kRunStepTwips = 225;
inline constexpr int kTwipsPerPixel = 15;
inline constexpr std::int64_t kZoomDivisor = 1000;  // value x zoom / 1000 twips
// Time zoom steps, from 1:1 outwards.
inline constexpr std::array<int, 4> kTimeZooms = {100, 50, 20, 10};
// Records between two pumps of the window's events while a log is rebuilt.
inline constexpr std::size_t kPumpEvery = 2000;
// Newest records kept for the live plot while recording.
inline constexpr std::size_t kLiveWindowRecords = 4096;
}  // namespace logger

// The logger's state, shared with the session's live reads.
enum class LoggerState : std::uint8_t {
  kIdle = 0,       // nothing recorded, or a file shown
  kRecording = 1,  // every live read goes to the traffic log
  kStopped = 2,    // recording stopped, traffic log not saved yet
};

// One trace: which field of the main live record it shows and how.
struct Channel {
  std::int32_t variable_id = 0;
  bool visible = true;
  std::int32_t colour = 0;                   // 0x00BBGGRR, as the setup file writes it
  std::int32_t offset = 0;                   // zero line, percent of the plot height from the top
  std::int32_t zoom = logger::kDefaultZoom;  // percent
  float scale = 1.0F;                        // multiplier of the variable list
  std::string text;                          // unit
  std::string name;                          // in the current language
};
using Channels = std::array<Channel, logger::kChannels>;

// The eight channels as the setup file has them before it is read.
[[nodiscard]] Channels DefaultChannels();

// One loggable variable of the variable list.
struct Variable {
  std::vector<std::string> names;  // one per language
  std::int32_t id = 0;             // field of the main live record
  float multiplier = 1.0F;
  std::string text;
};

// The name of `v` in language `language`; the first one when the list is
// shorter, empty when it has none.
[[nodiscard]] std::string_view NameIn(const Variable& v, int language);

// How far CmdZoomIn and CmdZoomOut move a channel's gain, by variable.
struct GainStep {
  std::int32_t step;
  std::int32_t max;
};
[[nodiscard]] GainStep GainStepOf(std::int32_t variable_id);

// Samples: two parallel arrays of nine integers per sample. Live: the time
// in ms, then channels 0..7. OBD: the same time, then the OBD values.
struct SampleTable {
  std::vector<std::int32_t> live;
  std::vector<std::int32_t> obd;

  [[nodiscard]] std::size_t Count() const { return live.size() / logger::kStride; }
  [[nodiscard]] bool Empty() const { return live.empty(); }
  [[nodiscard]] std::int32_t Time(std::size_t s) const { return live[s * logger::kStride]; }
  // Channel `c` (0..7) of sample `s`.
  [[nodiscard]] std::int32_t Value(std::size_t s, std::size_t c) const {
    return live[s * logger::kStride + 1 + c];
  }
  // OBD entry `k` (1..8) of sample `s`.
  [[nodiscard]] std::int32_t Obd(std::size_t s, std::size_t k) const {
    return obd[s * logger::kStride + k];
  }
  void Clear() {
    live.clear();
    obd.clear();
  }
};

// The variable ids of the eight channels, which a rebuild and the live
// recording read from each record.
using ChannelIds = std::array<std::int32_t, logger::kChannels>;
[[nodiscard]] ChannelIds IdsOf(const Channels& channels);

}  // namespace velmora::acq
