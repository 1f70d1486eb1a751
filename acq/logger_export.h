#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "acq/logger_types.h"

namespace velmora::acq {

// The export formats of a recording.
namespace export_format {
inline constexpr std::string_view kTextSeparator = " # ";
inline constexpr std::string_view kTextTimeHeading = "Tempo";
// The text export's last headings (the OBD columns).
inline constexpr std::string_view kTextObdHeadings =
    " # pid 03 # pid 06 # pid 07 # pid 11 # STAPOPEN ";
inline constexpr std::size_t kTextObdColumns = 5;  // OBD entries 1..5
inline constexpr std::string_view kCsvTimeHeading = "Time (ms)";
inline constexpr int kDecimals = 3;
}  // namespace export_format

// A channel value in its unit: value x scale with at most three decimals,
// trailing zeros dropped, "." as the decimal point whatever the locale.
[[nodiscard]] std::string ScaledText(std::int32_t value, float scale);

// The text export: the heading line "Tempo # <8 names> # pid 03 ... ",
// then one line per sample: its time, the 8 live values and OBD entries
// 1..5, joined with " # " (CR LF lines).
[[nodiscard]] std::string ExportText(const SampleTable& samples, const Channels& channels);

// The CSV export: a heading row "Time (ms)" and "name (unit)" per channel,
// then one row per sample with the values in their units (LF lines).
[[nodiscard]] std::string ExportCsv(const SampleTable& samples, const Channels& channels);

}  // namespace velmora::acq
