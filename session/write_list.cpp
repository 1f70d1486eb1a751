#include "session/write_list.h"

namespace velmora::session {

namespace {
const std::vector<WriteRecord> kNoRecords;

// The entry's values, to be put back when an exchange fails.
class ValuesSnapshot {
 public:
  ValuesSnapshot(const link::MessageTable& table, std::size_t entry) : entry_(entry) {
    const std::size_t n = table.FieldCount(entry);
    values_.reserve(n);
    for (std::size_t f = 0; f < n; ++f) {
      values_.push_back(table.Value(entry, f));
    }
  }
  void Restore(link::MessageTable& table) const {
    for (std::size_t f = 0; f < values_.size(); ++f) {
      table.SetValue(entry_, f, values_[f]);
    }
  }

 private:
  std::size_t entry_;
  std::vector<std::int32_t> values_;
};

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
    if (code != link::kOk) {
      return code;
    }
    const ValuesSnapshot read(table, entry);
    ApplyRecords(table, entry, records);
    code = ecu.Command(*command, table.CodificaValori(entry));
    if (code == link::kOk) {
      code = table.LeggiVoce(ecu, entry);
    }
    if (code != link::kOk) {
      read.Restore(table);
    }
    return code;
  });
}

int WriteWholeEntry(link::EcuAccess& ecu, link::MessageTable& table, std::size_t entry,
                    std::uint8_t command) {
  if (entry >= table.Size()) {
    return link::kInvalidRequest;
  }
  return link::WithLongOperationParameter(ecu, link::ParameterRestore::kUnlessNoAnswer, [&] {
    int code = ecu.Command(command, table.CodificaValori(entry));
    if (code == link::kOk) {
      code = table.LeggiVoce(ecu, entry);
    }
    if (code != link::kOk) {
      // What the ECU last told, not the values it may never have taken.
      table.DecodificaRisposta(table.LastAnswer(entry), entry);
    }
    return code;
  });
}

}  // namespace velmora::session
