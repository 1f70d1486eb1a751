#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "core/dictionary.h"
#include "link/message_table.h"
#include "pages/page_services.h"
#include "session/write_list.h"

namespace velmora::pages {

// A combo box as a configuration page keeps it: its items, the chosen one
// (-1 for none) and whether it takes changes.
struct ComboState {
  std::vector<std::string> items;
  int index = -1;
  bool enabled = true;
};

// The number an item shows: the number at the start of its text, with "."
// or "," as the decimal separator ("0.8 bar" and "0,8 bar" give 0.8,
// "-5 C" gives -5); nullopt when the text does not start with one.
[[nodiscard]] std::optional<double> ItemNumber(std::string_view item);

// The number in thousandths, rounded halves to even, so that scalings such
// as x 1000 / 32 work on whole numbers and truncate exactly.
[[nodiscard]] std::int64_t Thousandths(double number);

// A whole text as a decimal number, "." or "," as the separator; nullopt
// for anything that is not a number.
[[nodiscard]] std::optional<double> ParseEntered(std::string_view text);

// The items of the list that follows `key` in the chosen language, split at
// "|" and trimmed; empty when the dictionary lacks the key.
[[nodiscard]] std::vector<std::string> KeyItems(const core::ClsLingue& lingue,
                                                std::string_view key);

// The built-in items of a list that no dictionary key fills.
[[nodiscard]] std::vector<std::string> SplitItems(std::string_view list);

// Clamped into `lo`..`hi`.
[[nodiscard]] std::int32_t ClampTo(std::int64_t value, std::int32_t lo, std::int32_t hi);

// Index of the first item whose value, as `value_of` gives it, equals
// `wanted`; -1 for none.
template <class ValueOf>
[[nodiscard]] int IndexOfValue(const std::vector<std::string>& items, std::int64_t wanted,
                               ValueOf value_of) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::optional<std::int64_t> v = value_of(items[i], static_cast<int>(i));
    if (v && *v == wanted) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// Raises a page's loading flag for a scope: the change handlers do nothing
// while the page sets its own controls.
class Loading {
 public:
  explicit Loading(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~Loading() { flag_ = was_; }
  Loading(const Loading&) = delete;
  Loading& operator=(const Loading&) = delete;

 private:
  bool& flag_;
  bool was_;
};

// One record for the write list of `entry`.
struct EntryRecord {
  std::size_t entry;
  session::WriteRecord record;
};

// Lists the records and posts `code`. Nothing stays listed when the request
// cannot be posted (another one took the slot first): false then.
[[nodiscard]] bool PostRecords(PageSession& session, int code,
                               const std::vector<EntryRecord>& records);

// The blocks a page shows, as last read: a page compares them on each live
// tick with what it showed, so that it shows a block again after any read,
// whoever asked for it.
class ShownBlocks {
 public:
  explicit ShownBlocks(std::vector<std::size_t> entries) : entries_(std::move(entries)) {}
  // Remembers what the blocks hold now.
  void Remember(const link::MessageTable& table, const Bytes* record = nullptr);
  // Whether any block differs from what was remembered.
  [[nodiscard]] bool Changed(const link::MessageTable& table, const Bytes* record = nullptr) const;

 private:
  std::vector<std::size_t> entries_;
  std::vector<Bytes> answers_;
  Bytes record_;
};

}  // namespace velmora::pages
