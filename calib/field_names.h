#pragma once

#include <cstddef>
#include <string>

namespace velmora::calib {

// The name of field `field` of message-table entry `entry` in the ECU's
// data inventory, such as "cylinders" (entry 3, field 1) or "gas output
// config cylinder 1" (entry 3, field 16); empty for a reserved field or one
// the inventory does not name.
[[nodiscard]] std::string FieldName(std::size_t entry, std::size_t field);

}  // namespace velmora::calib
