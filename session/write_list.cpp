#include "session/write_list.h"

namespace velmora::session {

namespace {
const std::vector<WriteRecord> kNoRecords;
}  // namespace

std::optional<std::uint8_t> WriteCommandOf(std::size_t entry) {
  for (const auto& w : kEntryWriteCommands) {
    if (w.entry == entry) {
      return w.command;
    }
  }
  return std::nullopt;
}

bool WriteLists::Append(std::size_t entry, WriteRecord record) {
  if (!WriteCommandOf(entry)) {
    return false;
  }
  lists_[entry].push_back(record);
  return true;
}

const std::vector<WriteRecord>& WriteLists::Of(std::size_t entry) const {
  const auto it = lists_.find(entry);
  return it == lists_.end() ? kNoRecords : it->second;
}

void WriteLists::Clear(std::size_t entry) {
  lists_.erase(entry);
}

bool WriteLists::Empty() const {
  for (const auto& [entry, list] : lists_) {
    if (!list.empty()) {
      return false;
    }
  }
  return true;
}

void ApplyRecords(link::MessageTable& table, std::size_t entry,
                  const std::vector<WriteRecord>& records) {
  for (const WriteRecord& r : records) {
    if (r.field < 0) {
      continue;
    }
    const auto field = static_cast<std::size_t>(r.field);
    if (r.mode <= 0) {
      table.SetValue(entry, field, r.value);
      continue;
    }
    const std::int32_t old = table.Value(entry, field);
    table.SetValue(entry, field, r.value != 0 ? (old | r.mode) : (old & ~r.mode));
  }
}

int ApplicaListaScrittura(link::EcuAccess& ecu, link::MessageTable& table, WriteLists& lists,
                          std::size_t entry) {
  // The page's records are used once, whatever happens to them here.
  const std::vector<WriteRecord> records = lists.Of(entry);
  lists.Clear(entry);
  const auto command = WriteCommandOf(entry);
  if (!command || entry >= table.Size()) {
    return link::kInvalidRequest;
  }
  return link::WithLongOperationParameter(ecu, link::ParameterRestore::kUnlessNoAnswer, [&] {
    int code = table.LeggiVoce(ecu, entry);
    if (code == link::kOk) {
      ApplyRecords(table, entry, records);
      code = ecu.Command(*command, table.CodificaValori(entry));
    }
    if (code == link::kOk) {
      code = table.LeggiVoce(ecu, entry);
    }
    return code;
  });
}

}  // namespace velmora::session
