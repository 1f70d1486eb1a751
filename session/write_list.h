#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "link/ecu_access.h"
#include "link/ecu_frame.h"
#include "link/message_table.h"

namespace velmora::session {

// One change a page wants in an entry. A field index of -1 marks an empty
// record. Mode 0 (or below) stores the value; a mode m above 0 sets the bits
// of m when the value is not 0 and clears them when it is.
struct WriteRecord {
  std::int32_t value = 0;
  std::int32_t field = -1;
  std::int32_t mode = 0;
};

struct EntryWriteCommand {
  std::size_t entry;
  std::uint8_t command;
};

// The writable message-table entries and the command that writes each.
inline constexpr std::array<EntryWriteCommand, 8> kEntryWriteCommands{{
    {2, link::cmd::kWriteBlock2},
    {3, link::cmd::kWriteBlock3},
    {11, link::cmd::kWriteLambdaEmulation},
    {12, link::cmd::kWriteObdData},
    {14, link::cmd::kWriteObdData2},
    {15, link::cmd::kWriteBlock6},
    {16, link::cmd::kWriteBlock8},
    {19, link::cmd::kWriteObdErrors},
}};

[[nodiscard]] std::optional<std::uint8_t> WriteCommandOf(std::size_t entry);

// The write lists, one per writable entry, filled by the pages.
class WriteLists {
 public:
  // False (nothing kept) for an entry that cannot be written.
  bool Append(std::size_t entry, WriteRecord record);
  [[nodiscard]] const std::vector<WriteRecord>& Of(std::size_t entry) const;
  void Clear(std::size_t entry);
  void ClearAll() { lists_.clear(); }
  [[nodiscard]] bool Empty() const;

 private:
  std::map<std::size_t, std::vector<WriteRecord>> lists_;
};

// The records applied to an entry's current values, in list order.
void ApplyRecords(link::MessageTable& table, std::size_t entry,
                  const std::vector<WriteRecord>& records);

// ApplicaListaScrittura: under link parameter 2, reads the entry, applies its
// list, writes the encoded values with the entry's write command and reads
// the entry back, so its values show what the ECU holds. The list is emptied
// on every path; the first failing exchange is the result. When the write or
// the read-back fails, the entry's values go back to those read before the
// records were applied: values the ECU never confirmed are not shown as its
// own. An entry that cannot be written gives kInvalidRequest with nothing
// sent.
[[nodiscard]] int ApplicaListaScrittura(link::EcuAccess& ecu, link::MessageTable& table,
                                        WriteLists& lists, std::size_t entry);

// A block the program writes whole (a compensation table, the switch-over
// delay grid): under link parameter 2, the entry's values encoded and sent
// with `command`, then the entry read back. On failure the values go back
// to the entry's last answer. An entry outside the table gives
// kInvalidRequest with nothing sent.
[[nodiscard]] int WriteWholeEntry(link::EcuAccess& ecu, link::MessageTable& table,
                                  std::size_t entry, std::uint8_t command);

}  // namespace velmora::session
