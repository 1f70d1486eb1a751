#pragma once

#include "calib/axis_vectors.h"
#include "calib/calibration_image.h"
#include "core/bytes.h"
#include "link/ecu_access.h"

namespace velmora::calib {

// Writes the two axis lookup tables (rpm 128 bytes with 0x4C, injection time
// 180 bytes with 0x4F, each in two halves with address and count in front)
// and reads both back (0x4B, 0x4E) under the long-operation link parameter.
// Tables of the wrong size are refused with kInvalidRequest before anything
// is sent. `read_back` is set only when every exchange succeeded; the link
// parameter is restored only then.
[[nodiscard]] int WriteAxisTables(link::EcuAccess& ecu, const AxisTables& wanted,
                                  AxisTables* read_back);

// Reads both lookup tables as above; `out` is left as it was on failure.
[[nodiscard]] int ReadAxisTables(link::EcuAccess& ecu, AxisTables* out);

// The breakpoints of the image's lookup tables into its rpm and
// injection-time vectors. Tables that do not convert (or are not known)
// leave both vectors empty; the reason is returned.
AxisFailure UpdateAxisVectors(CalibrationImage& image);

}  // namespace velmora::calib
