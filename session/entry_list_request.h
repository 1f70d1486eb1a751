#pragma once

#include <array>
#include <cstddef>

#include "session/request_codes.h"

namespace velmora::session {

// The request that applies one entry's write list alone, for the entries
// that have one; request::kNone for the others.
[[nodiscard]] constexpr int EntryListRequest(std::size_t entry) {
  struct EntryRequest {
    std::size_t entry;
    int code;
  };
  constexpr std::array<EntryRequest, 8> kEntryRequests{{
      {2, request::kEntry2List},
      {3, request::kEntry3List},
      {11, request::kEntry11List},
      {12, request::kEntry12List},
      {14, request::kEntry14List},
      {15, request::kEntry15List},
      {16, request::kEntry16List},
      {19, request::kEntry19List},
  }};
  for (const EntryRequest& r : kEntryRequests) {
    if (r.entry == entry) {
      return r.code;
    }
  }
  return request::kNone;
}

}  // namespace velmora::session
