#pragma once

#include <string>

#include "acq/raster_image.h"
#include "core/bytes.h"

namespace velmora::acq {

// The picture as a PNG file's bytes: 8-bit RGB, every row unfiltered, the
// image data deflated with zlib. Empty when compression fails.
[[nodiscard]] Bytes EncodePng(const RasterImage& image);

}  // namespace velmora::acq
