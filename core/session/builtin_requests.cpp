// The request codes the session carries out itself: the write lists, the
// parameter record, the calibration file transfers and the slow commands.
// Everything else is registered by the page that owns its data.

#include <array>

#include "core/session/session.h"
#include "link/ecu_frame.h"
#include "link/slow_command.h"

namespace velmora::session {

namespace {

struct ListRequest {
  int code;
  std::array<std::size_t, 2> entries;
  std::size_t count;
};

// Write-list requests: the entries whose lists they apply, in order.
constexpr std::array<ListRequest, 14> kListRequests{{
    {request::kEntry3List, {3, 0}, 1},
    {request::kSwitchTemperature, {3, 0}, 1},
    {request::kEntry2List, {2, 0}, 1},
    {request::kEntry11List, {11, 0}, 1},
    {request::kEntry3And11, {3, 11}, 2},
    {request::kEntry12List, {12, 0}, 1},
    {request::kEntry14List, {14, 0}, 1},
    {request::kEntry15List, {15, 0}, 1},
    {request::kEntry16List, {16, 0}, 1},
    {request::kEntry19List, {19, 0}, 1},
    {request::kEntry3And14, {3, 14}, 2},
    {request::kEntry3And15, {3, 15}, 2},
    {request::kEntry12And19, {12, 19}, 2},
    {request::kEntry15And16, {15, 16}, 2},
}};

// Requests that write the parameter record ("[BLK_5]") and read it back.
constexpr std::array<int, 5> kRecordRequests{request::kParameterRecord, request::kWriteRecord,
                                             request::kRecordAfterMap0, request::kRecordAfterMap1,
                                             request::kRecordAfterMap2};

// Slow-command data of the acquisition requests.
constexpr std::uint8_t kAcquisitionStart = 1;
constexpr std::uint8_t kAcquisitionMode4 = 4;

}  // namespace

bool Session::ApplyLists(const std::vector<std::size_t>& entries) {
  for (const std::size_t entry : entries) {
    if (ApplicaListaScrittura(env_.ecu, env_.table, lists_, entry) != link::kOk) {
      // The lists after the failing one are dropped with it: the page
      // asked for all of them together.
      for (const std::size_t e : entries) {
        lists_.Clear(e);
      }
      return false;
    }
  }
  return true;
}

RequestWork Session::ListWork(std::vector<std::size_t> entries) {
  RequestWork work;
  work.run = [this, entries = std::move(entries)] { return ApplyLists(entries); };
  work.failure_text = settings_.texts.write_failed;
  work.refresh_page = true;
  return work;
}

bool Session::WriteParameterRecord() {
  Bytes& record = env_.calibration.ParameterRecord();
  if (record.size() != session_entry::kParameterRecordSize) {
    return false;
  }
  if (env_.ecu.Comando(link::cmd::kWriteCompanion, record) != link::kOk) {
    return false;
  }
  Bytes answer;
  if (env_.ecu.Comando(link::cmd::kReadCompanion, {}, &answer) != link::kOk) {
    return false;
  }
  Bytes data;
  if (link::TakeAnswerData(env_.ecu, answer, session_entry::kParameterRecordSize, &data) !=
      link::kOk) {
    return false;
  }
  record = std::move(data);
  return true;
}

bool Session::SlowCommand(std::uint8_t command, std::vector<std::uint8_t> data) {
  const auto frame = link::RequestFrame(command, data);
  if (!frame) {
    return false;
  }
  return link::SequenzaComandoLento(env_.ecu, *frame, [this] {
           return env_.table.LeggiVoce(env_.ecu, session_entry::kConnection);
         }) == link::kOk;
}

void Session::RegisterBuiltins() {
  const SessionTexts& texts = settings_.texts;

  for (const ListRequest& r : kListRequests) {
    requests_.Register(r.code, ListWork({r.entries.begin(), r.entries.begin() + r.count}));
  }
  for (const int code : kRecordRequests) {
    requests_.Register(
        code, {[this] { return WriteParameterRecord(); }, {}, texts.write_failed, false, false});
  }
  requests_.Register(request::kEntry3AndRecord,
                     {[this] { return ApplyLists({3}) && WriteParameterRecord(); },
                      {},
                      texts.write_failed,
                      true,
                      false});
  requests_.Register(
      request::kEntry3RecordEntry2,
      {[this] { return ApplyLists({3}) && WriteParameterRecord() && ApplyLists({2}); },
       {},
       texts.write_failed,
       true,
       false});

  RequestWork save;
  save.run = [this] {
    if (!env_.calibration.SaveFromEcu(chosen_file_)) {
      return false;
    }
    QueueNotice(settings_.texts.saved);
    return true;
  };
  save.failure_text = texts.save_failed;
  save.file_based = true;
  requests_.Register(request::kSaveFromEcu, save);

  for (const int scope :
       {request::kLoadAll, request::kLoadNoMaps, request::kLoadMaps, request::kLoadSwitchOver}) {
    RequestWork load;
    load.run = [this, scope] {
      if (!env_.calibration.LoadToEcu(chosen_file_, scope)) {
        return false;
      }
      // What the ECU now holds, not what the file said.
      (void)env_.calibration.ReadAll();
      QueueNotice(settings_.texts.loaded);
      return true;
    };
    if (scope == request::kLoadAll || scope == request::kLoadSwitchOver) {
      load.offline = [this] { return env_.calibration.OpenFile(chosen_file_); };
    }
    load.failure_text = texts.load_failed;
    load.file_based = true;
    requests_.Register(scope, load);
  }

  requests_.Register(request::kSlowCommand,
                     {[this] { return SlowCommand(link::cmd::kSlow, {}); }, {}, {}, false, false});
  requests_.Register(request::kAcquisitionMode4,
                     {[this] { return SlowCommand(link::cmd::kAcquisition, {kAcquisitionMode4}); },
                      {},
                      {},
                      false,
                      false});
  requests_.Register(request::kAcquisition,
                     {[this] {
                        if (!SlowCommand(link::cmd::kAcquisition, {kAcquisitionStart})) {
                          return false;
                        }
                        chained_ = request::kEntry15List;
                        return true;
                      },
                      {},
                      {},
                      false,
                      false});
  requests_.Register(request::kMainWrite,
                     {[this] { return env_.ecu.Comando(link::cmd::kMainWrite, {}) == link::kOk; },
                      {},
                      {},
                      false,
                      false});
}

}  // namespace velmora::session
