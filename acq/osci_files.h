#pragma once

#include <string>
#include <vector>

#include "acq/logger_types.h"

namespace velmora::acq {

// The logger's two set-up files, "lng/OsciList.ini" (the loggable
// variables, read only) and "lng/OsciSetUp.ini" (the channels, rewritten on
// every change). Both are lists of "[Var]" groups.
namespace osci_file {
inline constexpr std::string_view kGroupKey = "[Var]";
inline constexpr int kListGroupLines = 4;   // names, id, divisor, text
inline constexpr int kSetupGroupLines = 6;  // channel, id, visible, colour, offset, zoom
inline constexpr std::string_view kVisibleTrue = "-1";
inline constexpr std::string_view kVisibleFalse = "0";
// The description block the setup file starts with.
inline constexpr std::array<std::string_view, 7> kSetupHeader = {
    "[Desc]",          "id", "id_grandezza_blocco1", "Visibile", "Colore", "offset_%_altezza_video",
    "zoom_percentuale"};
}  // namespace osci_file

// The variable list: every complete group whose id is a number. A divisor
// of 0 (or one that is not a number) gives the multiplier 1.
[[nodiscard]] std::vector<Variable> ReadVariableList(const std::vector<std::string>& lines);

// Reads the channel setup over `channels`: the k-th group sets channel k;
// groups after the eighth are ignored. Lines are trimmed; the visible line
// is true only when it is exactly "-1". Reading stops at the first line
// that is not a number, keeping what was read before it. Offsets are kept
// within 0..98 and a zoom below 1 stays as it was.
void ReadChannelSetup(const std::vector<std::string>& lines, Channels& channels);

// The setup file's text: the description block, then one group per channel
// (CR LF lines).
[[nodiscard]] std::string ChannelSetupText(const Channels& channels);

// Every channel whose variable is in `list` takes its multiplier, text and
// name in `language`.
void ApplyVariables(Channels& channels, const std::vector<Variable>& list, int language);

// The variable with this id; nullptr when the list lacks it.
[[nodiscard]] const Variable* FindVariable(const std::vector<Variable>& list, std::int32_t id);

}  // namespace velmora::acq
