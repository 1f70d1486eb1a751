#include "link/tuning_tables.h"

#include "link/ecu_frame.h"

namespace velmora::link {

namespace {

const TuningTableCommands& CommandsOf(TuningTable table) {
  for (const auto& c : kTuningTableCommands) {
    if (c.table == table) {
      return c;
    }
  }
  return kTuningTableCommands.front();
}

}  // namespace

Bytes& TuningTables::Get(TuningTable t) {
  switch (t) {
    case TuningTable::kTBenz:
      return tbenz;
    case TuningTable::kTGas:
      return tgas;
    case TuningTable::kTRisult:
      return trisult;
    case TuningTable::kTIsto:
      return tisto;
  }
  return tbenz;
}

int LeggiTabelleTaratura(EcuAccess& ecu, TuningTables* out) {
  TuningTables tables;
  const int result = WithLongOperationParameter(ecu, ParameterRestore::kAfterSuccess, [&] {
    for (const auto& c : kTuningTableCommands) {
      Bytes answer;
      if (const int code = ecu.Command(c.read, {}, &answer); code != kOk) {
        return code;
      }
      // Readers of the table take its cells up to the last data byte; a
      // shorter answer is refused here instead of being read past its end.
      Bytes cells;
      if (const int code = TakeAnswerData(ecu, answer, kTuningTableData, &cells); code != kOk) {
        return code;
      }
      tables.Get(c.table) = std::move(answer);
    }
    return static_cast<int>(kOk);
  });
  if (result == kOk) {
    *out = std::move(tables);
  }
  return result;
}

Bytes ResetFrame(TuningTable table) {
  const auto& c = CommandsOf(table);
  if (table == TuningTable::kTRisult) {
    const Bytes zeros(kTuningCells, 0);
    return RequestFrame(c.reset, zeros).value_or(Bytes{});
  }
  return RequestFrame(c.reset).value_or(Bytes{});
}

int ResetTuningTable(EcuAccess& ecu, TuningTable table, TuningTables* copy) {
  const int code = ecu.InviaComando(ResetFrame(table));
  if (code == kOk && copy != nullptr) {
    copy->Get(table).clear();
  }
  return code;
}

}  // namespace velmora::link
