#pragma once

#include "acq/logger_types.h"
#include "acq/raster_image.h"

namespace velmora::acq {

namespace picture {
inline constexpr int kWidth = 1400;
inline constexpr int kLaneHeight = 90;
}  // namespace picture

// A whole recording as a picture: one lane per visible channel with its
// name, unit and range on the left and its trace scaled between its lowest
// and highest value, each trace reduced to one column per pixel, and a time
// axis in seconds below.
[[nodiscard]] RasterImage RecordingPicture(const SampleTable& samples, const Channels& channels,
                                           int width = picture::kWidth);

}  // namespace velmora::acq
