#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/paths.h"

namespace velmora::firmware {

// The firmware image of each hardware generation, and the code that stands
// for it when the file is missing.
struct HardwareImage {
  int generation;
  std::string_view file;
  int missing_code;
};

inline constexpr std::array<HardwareImage, 4> kHardwareImages = {{
    {0, "Velmora_OldHw.frh", 101},
    {1, "Velmora_2ndHw.frh", 102},
    {2, "Velmora_3rdHw.frh", 103},
    {3, "Velmora_NexHw.frh", 104},
}};

// The image offered first for an ECU of `generation`: its generation's, or
// the default image (the second hardware's) while no ECU was identified.
[[nodiscard]] std::string DefaultImagePath(const core::PathTable& paths, int generation);

// The code of a missing image: by the file name when it is one of the four
// default names, else by the generation; 0 for neither.
[[nodiscard]] int MissingImageCode(std::string_view path, int generation);

// A firmware image's name: ".frh" at its end, in any letter case.
[[nodiscard]] bool IsImageName(std::string_view path);

// Whether the program offers the firmware page: its folder (bin), or the
// image folder below it, holds at least one image.
[[nodiscard]] bool FirmwareOffered(const core::PathTable& paths);

}  // namespace velmora::firmware
