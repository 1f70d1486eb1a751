#pragma once

#include "session/write_list.h"

// Write-list records compare by value, field and mode in the tests.
namespace velmora::session {
inline bool operator==(const WriteRecord& a, const WriteRecord& b) {
  return a.value == b.value && a.field == b.field && a.mode == b.mode;
}
}  // namespace velmora::session
