// The request codes the session carries out itself: the write lists, the
// parameter record, the map and axis writes, the calibration file transfers
// and the slow commands.
// Everything else is registered by the page that owns its data.

#include <array>
#include <functional>
#include <string>

#include "link/ecu_frame.h"
#include "link/slow_command.h"
#include "session/session.h"

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

// Map writes: the map (the pages' index) each request writes.
struct MapWriteRequest {
  int code;
  int map;
};
constexpr std::array<MapWriteRequest, 3> kMapWriteRequests{{
    {request::kWriteBank1, 0},
    {request::kWriteBank2, 1},
    {request::kWriteBank3, 2},
}};

// Slow-command data of the acquisition requests.
constexpr std::uint8_t kAcquisitionStart = 1;
constexpr std::uint8_t kAcquisitionMode4 = 4;

// Work that runs only while connected; a failure is told with one of the
// session's texts (none when `text` is null).
RequestWork Connected(std::function<bool()> run, std::string SessionTexts::*text = nullptr) {
  RequestWork work;
  work.run = std::move(run);
  work.session_text = text;
  return work;
}

// The parameter record as the ECU holds it; `record` is left alone when it
// cannot be read.
bool ReadParameterRecordInto(link::EcuAccess& ecu, Bytes& record) {
  Bytes answer;
  if (ecu.Command(link::cmd::kReadCompanion, {}, &answer) != link::kOk) {
    return false;
  }
  Bytes data;
  if (link::TakeAnswerData(ecu, answer, session_entry::kParameterRecordSize, &data) != link::kOk) {
    return false;
  }
  record = std::move(data);
  return true;
}

}  // namespace

bool Session::ApplyLists(const std::vector<std::size_t>& entries) {
  // The first failure ends the request; the session empties every list the
  // request owns, the ones after the failing list with it.
  for (const std::size_t entry : entries) {
    if (ApplicaListaScrittura(env_.ecu, env_.table, lists_, entry) != link::kOk) {
      return false;
    }
  }
  return true;
}

bool Session::WriteEntry(std::size_t entry, std::uint8_t command) {
  return WriteWholeEntry(env_.ecu, env_.table, entry, command) == link::kOk;
}

RequestWork Session::ListWork(std::vector<std::size_t> entries) {
  RequestWork work =
      Connected([this, entries] { return ApplyLists(entries); }, &SessionTexts::write_failed);
  work.lists = std::move(entries);
  work.refresh_page = true;
  return work;
}

bool Session::WriteParameterRecord() {
  Bytes& record = env_.calibration.ParameterRecord();
  if (record.size() != session_entry::kParameterRecordSize) {
    return false;
  }
  const bool written = env_.ecu.Command(link::cmd::kWriteCompanion, record) == link::kOk;
  // Read back after a refused write too: the image then holds the ECU's
  // record, not the change it did not take, which a later write would
  // otherwise send along.
  const bool read = ReadParameterRecordInto(env_.ecu, record);
  return written && read;
}

bool Session::SlowCommand(std::uint8_t command, std::vector<std::uint8_t> data) {
  const auto frame = link::RequestFrame(command, data);
  if (!frame) {
    return false;
  }
  return link::RunSlowCommand(env_.ecu, *frame, [this] {
           return env_.table.LeggiVoce(env_.ecu, session_entry::kConnection);
         }) == link::kOk;
}

bool Session::WriteAxesAndReconnect() {
  const bool ok = env_.calibration.WriteAxes();
  // New tables make the ECU work on other cells: everything is read again
  // through the whole connect sequence, also after a failure that may have
  // written part of them. A link that timed out is left to the time-out's
  // own path (disconnected), as is a close asked for meanwhile.
  if (!env_.flags.timeout && !env_.flags.exit_request) {
    env_.flags.ecu_lost = true;
  }
  return ok;
}

void Session::RegisterMapWrites() {
  for (const MapWriteRequest& r : kMapWriteRequests) {
    RequestWork work = Connected(
        [this, map = r.map] {
          const bool ok = env_.calibration.WriteMap(map);
          // The map's pages take edits again whatever happened; a failure is
          // told after this.
          env_.host.MapWritten(map, ok);
          return ok;
        },
        &SessionTexts::map_write_failed);
    work.dropped = [this, map = r.map] { env_.host.MapWritten(map, false); };
    work.writes_image = true;
    requests_.Register(r.code, std::move(work));
  }
  RequestWork axes =
      Connected([this] { return WriteAxesAndReconnect(); }, &SessionTexts::axes_write_failed);
  axes.writes_image = true;
  requests_.Register(request::kAxes, std::move(axes));
}

void Session::RegisterListRequests() {
  for (const ListRequest& r : kListRequests) {
    requests_.Register(r.code, ListWork({r.entries.begin(), r.entries.begin() + r.count}));
  }
}

void Session::RegisterRecordRequests() {
  const auto record_work = [](std::function<bool()> run, std::vector<std::size_t> lists) {
    RequestWork work = Connected(std::move(run), &SessionTexts::write_failed);
    work.writes_image = true;
    work.refresh_page = !lists.empty();
    work.lists = std::move(lists);
    return work;
  };
  for (const int code : kRecordRequests) {
    requests_.Register(code, record_work([this] { return WriteParameterRecord(); }, {}));
  }
  requests_.Register(
      request::kEntry3AndRecord,
      record_work([this] { return ApplyLists({3}) && WriteParameterRecord(); }, {3}));
  requests_.Register(
      request::kEntry3RecordEntry2,
      record_work([this] { return ApplyLists({3}) && WriteParameterRecord() && ApplyLists({2}); },
                  {3, 2}));
}

void Session::RegisterFileTransfers() {
  RequestWork save = Connected(
      [this] {
        if (!env_.calibration.SaveFromEcu(chosen_file_)) {
          return false;
        }
        QueueNotice(settings_.texts.saved);
        return true;
      },
      &SessionTexts::save_failed);
  save.file_based = true;
  requests_.Register(request::kSaveFromEcu, save);

  for (const int scope :
       {request::kLoadAll, request::kLoadNoMaps, request::kLoadMaps, request::kLoadSwitchOver}) {
    RequestWork load = Connected(
        [this, scope] {
          if (!env_.calibration.LoadToEcu(chosen_file_, scope)) {
            return false;
          }
          // What the ECU now holds, not what the file said.
          if (!ReadImage()) {
            env_.host.ShowCaption(settings_.texts.read_failed);
          }
          env_.host.CalibrationRead();
          QueueNotice(settings_.texts.loaded);
          return true;
        },
        &SessionTexts::load_failed);
    if (scope == request::kLoadAll || scope == request::kLoadSwitchOver) {
      load.offline = [this] {
        if (!env_.calibration.OpenFile(chosen_file_)) {
          return false;
        }
        env_.host.CalibrationRead();
        return true;
      };
    }
    load.file_based = true;
    requests_.Register(scope, load);
  }
}

void Session::RegisterSlowCommands() {
  requests_.Register(request::kSlowCommand,
                     Connected([this] { return SlowCommand(link::cmd::kSlow, {}); }));
  requests_.Register(request::kAcquisitionMode4, Connected([this] {
                       return SlowCommand(link::cmd::kAcquisition, {kAcquisitionMode4});
                     }));
  requests_.Register(request::kAcquisition, Connected([this] {
                       if (!SlowCommand(link::cmd::kAcquisition, {kAcquisitionStart})) {
                         return false;
                       }
                       chained_ = request::kEntry15List;
                       return true;
                     }));
  requests_.Register(request::kMainWrite, Connected([this] {
                       return env_.ecu.Command(link::cmd::kMainWrite, {}) == link::kOk;
                     }));
}

void Session::RegisterBuiltins() {
  RegisterListRequests();
  RegisterRecordRequests();
  RegisterMapWrites();
  RegisterFileTransfers();
  RegisterSlowCommands();
}

}  // namespace velmora::session
