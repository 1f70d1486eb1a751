#include "diag/diag_requests.h"

#include <array>

#include "diag/mod_nex_obd.h"
#include "link/bank_transfer.h"
#include "link/tuning_tables.h"
#include "session/request_codes.h"

namespace velmora::diag {

namespace {

constexpr std::size_t kResultByte = 4;  // of an answer frame
constexpr std::uint8_t kResultOk = 0;

// The search family by the protocol choice's list position.
constexpr std::array<int, 3> kFamilies = {search_family::kAny, search_family::kCan,
                                          search_family::kKLine};

bool Accepted(const Bytes& answer) {
  return answer.size() > kResultByte && answer[kResultByte] == kResultOk;
}

}  // namespace

bool ReadErrorMemory(const DiagLink& link) {
  return link.table.LeggiVoce(link.ecu, diag_entry::kErrors) == link::kOk;
}

bool EraseErrorMemory(const DiagLink& link) {
  Bytes answer;
  const bool erased =
      link.ecu.Command(link::cmd::kEraseErrors, {}, &answer) == link::kOk && Accepted(answer);
  return ReadErrorMemory(link) && erased;
}

bool ReadObdData(const DiagLink& link) {
  return link::LeggiTabelleTaratura(link.ecu, &link.image.tuning) == link::kOk &&
         link.table.LeggiVoce(link.ecu, diag_entry::kObdData) == link::kOk;
}

bool ResetTuningTables(const DiagLink& link, int code) {
  using link::TuningTable;
  const std::vector<TuningTable> tables =
      code == session::request::kResetPetrolTables
          ? std::vector<TuningTable>{TuningTable::kTBenz, TuningTable::kTIsto}
          : std::vector<TuningTable>{TuningTable::kTGas, TuningTable::kTRisult,
                                     TuningTable::kTIsto};
  for (const TuningTable t : tables) {
    if (link::ResetTuningTable(link.ecu, t, &link.image.tuning) != link::kOk) {
      return false;
    }
  }
  return link::LeggiTabelleTaratura(link.ecu, &link.image.tuning) == link::kOk;
}

bool ReadObdInfoErrors(const DiagLink& link) {
  return link.table.LeggiVoce(link.ecu, diag_entry::kObdInfo) == link::kOk;
}

bool ReadAdaptiveMap(const DiagLink& link) {
  if (!link.image.flags.adaptive_maps) {
    return true;
  }
  link::BankImage bank;
  if (link::LeggiBanco(link.ecu, link::bank::kAdaptive.read, &bank) != link::kOk) {
    return false;
  }
  link.image.adaptive_map = std::move(bank.map);
  return true;
}

int SearchFamilyOf(int protocol_choice) {
  if (protocol_choice < 0 || protocol_choice >= static_cast<int>(kFamilies.size())) {
    return search_family::kAny;
  }
  return kFamilies[static_cast<std::size_t>(protocol_choice)];
}

bool StartObdReading(const DiagLink& link, session::WriteLists& lists,
                     const std::function<void(int)>& trying) {
  if (session::ApplicaListaScrittura(link.ecu, link.table, lists, diag_entry::kObdData) !=
      link::kOk) {
    return false;
  }
  if (link.table.Value(diag_entry::kObdData, obd_field::kProtocol) < obd_protocol::kGeneric) {
    return true;
  }
  const int family =
      SearchFamilyOf(link.table.Value(diag_entry::kObdData, obd_field::kProtocolChoice));
  const auto trial = [&link](int protocol) -> std::optional<Bytes> {
    Bytes answer;
    const std::array<std::uint8_t, 1> data = {static_cast<std::uint8_t>(protocol)};
    if (link.ecu.Command(link::cmd::kObdProtocolTrial, data, &answer) != link::kOk) {
      return std::nullopt;
    }
    return answer;
  };
  // A search that finds nothing is an answer too: the page shows that the
  // car has no protocol the ECU speaks.
  (void)SearchProtocol(family, trial, trying);
  return link.table.LeggiVoce(link.ecu, diag_entry::kObdData) == link::kOk;
}

void RegisterDiagWork(pages::PageEnv& env, const std::weak_ptr<const bool>& alive, DiagWork work) {
  session::RequestWork r;
  r.run = [&session = env.session, &table = env.table, &image = env.image, alive,
           run = std::move(work.run)] {
    link::EcuAccess* ecu = session.Ecu();
    if (alive.expired() || ecu == nullptr) {
      return false;
    }
    return run(DiagLink{*ecu, table, image});
  };
  r.failure_text = std::move(work.failure_text);
  r.lists = std::move(work.lists);
  r.refresh_page = work.refresh_page;
  env.requests.Register(work.code, std::move(r));
}

}  // namespace velmora::diag
