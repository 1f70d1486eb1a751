#include "link/port_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <charconv>
#include <utility>

#include "core/files.h"
#include "core/key_file.h"
#include "core/text.h"
#include "platform/unique_fd.h"

namespace velmora::link {
namespace {

constexpr std::string_view kKeyPrefix = "[COM";

std::optional<int> NumberOfKey(std::string_view line) {
  const std::string_view key = core::Trim(line);
  if (!key.starts_with(kKeyPrefix) || !key.ends_with(']')) {
    return std::nullopt;
  }
  const std::string_view digits = key.substr(kKeyPrefix.size(), key.size() - kKeyPrefix.size() - 1);
  int n = -1;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || n < 0 ||
      n > kMaxPortNumber) {
    return std::nullopt;
  }
  return n;
}

// One registry entry as the file holds it.
struct Record {
  int number = 0;
  std::string device;
  std::string identity;  // empty for devices registered by node alone
  std::optional<platform::ProcessMark> registrant;
};

// What a change of the registry works with.
struct RegistryServices {
  platform::SysIo& io;
  platform::ProcessList& processes;
};

// The number of a "[COMn<suffix>" key.
std::optional<int> NumberOfSuffixedKey(std::string_view line, std::string_view suffix) {
  const std::string_view key = core::Trim(line);
  if (!key.ends_with(suffix) || key.size() <= suffix.size()) {
    return std::nullopt;
  }
  return NumberOfKey(std::string(key.substr(0, key.size() - suffix.size())) + "]");
}

// "pid start-time", the start time optional; pid 0 or less is no registrant.
std::optional<platform::ProcessMark> ParseRegistrant(std::string_view value) {
  platform::ProcessMark mark;
  const char* const end = value.data() + value.size();
  auto [next, ec] = std::from_chars(value.data(), end, mark.pid);
  if (ec != std::errc() || mark.pid <= 0) {
    return std::nullopt;
  }
  if (next != end && *next == ' ') {
    const auto parsed = std::from_chars(next + 1, end, mark.start_time);
    next = parsed.ptr;
    ec = parsed.ec;
  }
  if (ec != std::errc() || next != end) {
    return std::nullopt;
  }
  return mark;
}

std::string FormatRegistrant(const platform::ProcessMark& mark) {
  return std::to_string(mark.pid) + " " + std::to_string(mark.start_time);
}

// The registrants of entries already read; a key naming no entry is passed over.
void ParseRegistrants(const std::vector<std::string>& lines, std::vector<Record>& records) {
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    const auto number = NumberOfSuffixedKey(lines[i], kRegistrantKeySuffix);
    const auto mark = ParseRegistrant(core::Trim(lines[i + 1]));
    if (!number || !mark) {
      continue;
    }
    ++i;
    for (Record& r : records) {
      if (r.number == *number && !r.registrant) {
        r.registrant = mark;
      }
    }
  }
}

// A value line: not empty, not a key, one line.
bool UsableValue(std::string_view value) {
  return !value.empty() && !core::IsBracketKey(std::string(value)) &&
         value.find_first_of("\r\n") == std::string_view::npos;
}

std::vector<Record> ParseRecords(const std::vector<std::string>& lines) {
  std::vector<Record> records;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    const auto number = NumberOfKey(lines[i]);
    if (!number) {
      continue;
    }
    const std::string device(core::Trim(lines[i + 1]));
    if (!UsableValue(device)) {
      continue;
    }
    ++i;
    const bool taken = std::any_of(records.begin(), records.end(), [&](const Record& r) {
      return r.number == *number || r.device == device;
    });
    if (!taken) {
      records.push_back({*number, device, {}, {}});
    }
  }
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    const auto number = NumberOfSuffixedKey(lines[i], kIdentityKeySuffix);
    const std::string identity(core::Trim(lines[i + 1]));
    if (!number || !UsableValue(identity)) {
      continue;
    }
    ++i;
    const bool used = std::any_of(records.begin(), records.end(),
                                  [&](const Record& r) { return r.identity == identity; });
    const auto owner = std::find_if(records.begin(), records.end(),
                                    [&](const Record& r) { return r.number == *number; });
    if (!used && owner != records.end() && owner->identity.empty()) {
      owner->identity = identity;
    }
  }
  ParseRegistrants(lines, records);
  std::sort(records.begin(), records.end(),
            [](const Record& a, const Record& b) { return a.number < b.number; });
  return records;
}

std::string FormatRecords(const std::vector<Record>& records) {
  std::vector<std::string> lines;
  for (const Record& r : records) {
    lines.push_back(std::string(kKeyPrefix) + std::to_string(r.number) + "]");
    lines.push_back(r.device);
    if (!r.identity.empty()) {
      lines.push_back(std::string(kKeyPrefix) + std::to_string(r.number) + kIdentityKeySuffix);
      lines.push_back(r.identity);
    }
    if (r.registrant) {
      lines.push_back(std::string(kKeyPrefix) + std::to_string(r.number) + kRegistrantKeySuffix);
      lines.push_back(FormatRegistrant(*r.registrant));
    }
  }
  return core::JoinCrLf(lines);
}

std::vector<Record> LoadRecords(const std::string& file) {
  std::vector<std::string> lines;
  if (!core::LeggiRighe(file, lines)) {
    return {};
  }
  return ParseRecords(lines);
}

// An entry whose registrant has ended names a device nobody serves any more;
// its node may already belong to someone else (a reused pseudo-terminal).
bool Orphaned(const Record& r, platform::ProcessList& processes) {
  return r.registrant && !platform::IsRunning(processes, *r.registrant);
}

std::vector<Record> LiveRecords(std::vector<Record> records, platform::ProcessList& processes) {
  std::erase_if(records, [&](const Record& r) { return Orphaned(r, processes); });
  return records;
}

// Serialises read-modify-write cycles of processes and threads sharing one
// registry; each holder opens its own descriptor, so threads exclude each
// other too.
class RegistryLock {
 public:
  RegistryLock(const std::string& file, platform::SysIo& io) : io_(io) {
    const platform::IoResult opened = platform::RetryInterrupted(
        [&] { return io_.Open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644); });
    if (opened.value < 0) {
      return;
    }
    fd_.Reset(static_cast<int>(opened.value));
    locked_ = platform::RetryInterrupted([&] { return io_.Flock(fd_.Get(), LOCK_EX); }).value == 0;
  }
  RegistryLock(const RegistryLock&) = delete;
  RegistryLock& operator=(const RegistryLock&) = delete;
  ~RegistryLock() {
    if (locked_) {
      (void)io_.Flock(fd_.Get(), LOCK_UN);
    }
  }
  [[nodiscard]] bool Locked() const { return locked_; }

 private:
  platform::SysIo& io_;
  platform::UniqueFd fd_;
  bool locked_ = false;
};

bool Save(const std::string& file, std::vector<Record> records, platform::SysIo& io) {
  std::sort(records.begin(), records.end(),
            [](const Record& a, const Record& b) { return a.number < b.number; });
  return core::WriteFileAtomic(file, FormatRecords(records), io);
}

std::vector<Record>::iterator HolderOf(std::vector<Record>& records, int number) {
  return std::find_if(records.begin(), records.end(),
                      [&](const Record& r) { return r.number == number; });
}

// The lowest number from 1 that no entry holds.
std::optional<int> LowestFreeNumber(std::vector<Record>& records) {
  for (int n = 1; n <= kMaxPortNumber; ++n) {
    if (HolderOf(records, n) == records.end()) {
      return n;
    }
  }
  return std::nullopt;
}

// With every number taken, the lowest one whose entry `reusable` lets go is
// freed for a newcomer.
template <typename Reusable>
std::optional<int> FreeStaleNumber(std::vector<Record>& records, Reusable reusable) {
  const auto stale = std::find_if(records.begin(), records.end(),
                                  [&](const Record& r) { return r.number >= 1 && reusable(r); });
  if (stale == records.end()) {
    return std::nullopt;
  }
  const int number = stale->number;
  records.erase(stale);
  return number;
}

std::optional<std::string> FirstUsbSerialDevice() {
  DIR* dir = ::opendir("/dev");
  if (dir == nullptr) {
    return std::nullopt;
  }
  // ttyUSB before ttyACM, then by number, so the choice is stable.
  std::optional<std::pair<int, long>> best;
  std::string best_name;
  while (const dirent* d = ::readdir(dir)) {
    const std::string_view name = d->d_name;
    int kind = -1;
    std::string_view digits;
    if (name.starts_with("ttyUSB")) {
      kind = 0;
      digits = name.substr(6);
    } else if (name.starts_with("ttyACM")) {
      kind = 1;
      digits = name.substr(6);
    }
    long n = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (kind < 0 || digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
      continue;
    }
    const std::pair<int, long> rank{kind, n};
    if (!best || rank < *best) {
      best = rank;
      best_name = name;
    }
  }
  ::closedir(dir);
  if (!best) {
    return std::nullopt;
  }
  return "/dev/" + best_name;
}

}  // namespace

std::string PortRegistryPath(const std::string& bin_dir) {
  return bin_dir + "/" + kPortRegistryFile;
}

namespace {

std::vector<PortEntry> EntriesOf(std::vector<Record> records, platform::ProcessList& processes) {
  std::vector<PortEntry> entries;
  for (Record& r : LiveRecords(std::move(records), processes)) {
    entries.push_back({r.number, std::move(r.device)});
  }
  return entries;
}

std::vector<PortIdentity> IdentitiesOf(std::vector<Record> records) {
  std::vector<PortIdentity> identities;
  for (Record& r : records) {
    if (!r.identity.empty()) {
      identities.push_back({r.number, std::move(r.identity)});
    }
  }
  return identities;
}

}  // namespace

std::vector<PortEntry> LoadPortRegistry(const std::string& file, platform::ProcessList& processes) {
  return EntriesOf(LoadRecords(file), processes);
}

std::vector<PortIdentity> LoadPortIdentities(const std::string& file) {
  return IdentitiesOf(LoadRecords(file));
}

std::vector<PortEntry> ParsePortRegistry(std::string_view text, platform::ProcessList& processes) {
  return EntriesOf(ParseRecords(core::SplitCrLf(text)), processes);
}

std::vector<PortIdentity> ParsePortIdentities(std::string_view text) {
  return IdentitiesOf(ParseRecords(core::SplitCrLf(text)));
}

std::string NormalisedPortRegistry(std::string_view text) {
  return FormatRecords(ParseRecords(core::SplitCrLf(text)));
}

std::optional<std::string> LookupPort(const std::string& file, int number,
                                      platform::ProcessList& processes) {
  for (const PortEntry& e : LoadPortRegistry(file, processes)) {
    if (e.number == number) {
      return e.device;
    }
  }
  if (number == kUsbPortNumber) {
    return FirstUsbSerialDevice();
  }
  return std::nullopt;
}

namespace {

// The number a device gets when it asks for `requested`: free, held by a
// device that is gone (whose entry goes), or refused.
std::optional<int> RequestedNumber(std::vector<Record>& records, int requested,
                                   platform::SysIo& io) {
  const auto it = HolderOf(records, requested);
  if (it != records.end()) {
    if (platform::PathExists(io, it->device.c_str())) {
      return std::nullopt;
    }
    records.erase(it);
  }
  return requested;
}

// A number for a device not registered yet (or asking for another number).
std::optional<int> NewNumber(std::vector<Record>& records, int requested, platform::SysIo& io) {
  if (requested >= 0) {
    return RequestedNumber(records, requested, io);
  }
  if (const auto lowest = LowestFreeNumber(records)) {
    return lowest;
  }
  return FreeStaleNumber(
      records, [&](const Record& r) { return !platform::PathExists(io, r.device.c_str()); });
}

// The registration behind RegisterPort and RegisterOwnPort. Entries whose
// registrant has ended go with every registration. Without a registrant of
// its own the device keeps the one it had.
std::optional<int> Register(const std::string& file, const std::string& device, int requested,
                            std::optional<platform::ProcessMark> registrant,
                            const RegistryServices& services) {
  if (!UsableValue(device) || requested > kMaxPortNumber) {
    return std::nullopt;
  }
  const RegistryLock lock(file, services.io);
  if (!lock.Locked()) {
    return std::nullopt;
  }
  const std::vector<Record> stored = LoadRecords(file);
  std::vector<Record> records = LiveRecords(stored, services.processes);
  const auto mine = std::find_if(records.begin(), records.end(),
                                 [&](const Record& r) { return r.device == device; });
  std::optional<int> number;
  std::string identity;
  if (mine != records.end()) {
    if (requested < 0 || mine->number == requested) {
      number = mine->number;
    }
    registrant = registrant ? registrant : mine->registrant;
    if (number && registrant == mine->registrant && records.size() == stored.size()) {
      return number;  // nothing to write
    }
    identity = std::move(mine->identity);
    records.erase(mine);
  }
  if (!number && !(number = NewNumber(records, requested, services.io))) {
    return std::nullopt;
  }
  records.push_back({*number, device, std::move(identity), registrant});
  if (!Save(file, std::move(records), services.io)) {
    return std::nullopt;
  }
  return number;
}

}  // namespace

std::optional<int> RegisterPort(const std::string& file, const std::string& device, int requested,
                                platform::SysIo& io, platform::ProcessList& processes) {
  return Register(file, device, requested, std::nullopt, {io, processes});
}

std::optional<int> RegisterOwnPort(const std::string& file, const std::string& device,
                                   int requested, platform::ProcessList& processes,
                                   platform::SysIo& io) {
  return Register(file, device, requested, platform::SelfMark(processes), {io, processes});
}

bool UnregisterPort(const std::string& file, const std::string& device, platform::SysIo& io,
                    platform::ProcessList& processes) {
  const RegistryLock lock(file, io);
  if (!lock.Locked()) {
    return false;
  }
  std::vector<Record> records = LoadRecords(file);
  const auto removed = std::erase_if(
      records, [&](const Record& r) { return r.device == device || Orphaned(r, processes); });
  if (removed == 0) {
    return true;
  }
  return Save(file, std::move(records), io);
}

namespace {

// The numbers a registry gives without changing it: only devices whose entry
// already names their current node.
std::vector<int> NumbersAsRegistered(const std::vector<Record>& records,
                                     const std::vector<DeviceIdentity>& devices) {
  std::vector<int> numbers;
  for (const DeviceIdentity& d : devices) {
    const auto it = std::find_if(records.begin(), records.end(), [&](const Record& r) {
      return !d.identity.empty() && r.identity == d.identity && r.device == d.device;
    });
    numbers.push_back(it != records.end() ? it->number : -1);
  }
  return numbers;
}

bool SameRecords(const std::vector<Record>& a, const std::vector<Record>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Record& x, const Record& y) {
    return x.number == y.number && x.device == y.device && x.identity == y.identity &&
           x.registrant == y.registrant;
  });
}

// One enumeration's numbering of the registry's records.
class Numbering {
 public:
  Numbering(std::vector<Record> records, const std::vector<DeviceIdentity>& devices,
            platform::SysIo& io)
      : records_(std::move(records)), devices_(devices), numbers_(devices.size(), -1), io_(io) {}

  void NumberAll() {
    for (std::size_t k = 0; k < devices_.size(); ++k) {
      if (Numberable(k)) {
        Number(k);
      }
    }
    ReleaseClaimedNodes();
  }
  [[nodiscard]] const std::vector<Record>& Records() const { return records_; }
  [[nodiscard]] const std::vector<int>& Numbers() const { return numbers_; }

 private:
  // One line each, and not a repeat of an earlier device of the enumeration.
  [[nodiscard]] bool Numberable(std::size_t k) const {
    const DeviceIdentity& d = devices_[k];
    const bool repeated = std::any_of(
        devices_.begin(), devices_.begin() + static_cast<std::ptrdiff_t>(k),
        [&](const DeviceIdentity& o) { return o.identity == d.identity || o.device == d.device; });
    return UsableValue(d.identity) && UsableValue(d.device) && !repeated;
  }

  void Number(std::size_t k) {
    const DeviceIdentity& d = devices_[k];
    Record* r = Known(d);
    if (r == nullptr) {
      r = Added(d);
    }
    if (r == nullptr) {
      return;
    }
    r->device = d.device;
    r->identity = d.identity;
    matched_.push_back(r->number);
    numbers_[k] = r->number;
  }

  // The device's entry by identity, or one registered earlier by its node
  // alone (a --device run, say).
  Record* Known(const DeviceIdentity& d) {
    auto it = std::find_if(records_.begin(), records_.end(),
                           [&](const Record& r) { return r.identity == d.identity; });
    if (it == records_.end()) {
      it = std::find_if(records_.begin(), records_.end(), [&](const Record& r) {
        return r.identity.empty() && r.device == d.device && !IsMatched(r.number);
      });
    }
    return it != records_.end() ? &*it : nullptr;
  }

  // A new entry under the lowest free number, or a stale one's.
  Record* Added(const DeviceIdentity& d) {
    std::optional<int> number = LowestFreeNumber(records_);
    if (!number) {
      number = FreeStaleNumber(records_, [&](const Record& r) {
        return !IsMatched(r.number) && !Claimed(r.device) &&
               !platform::PathExists(io_, r.device.c_str());
      });
    }
    if (!number) {
      return nullptr;
    }
    records_.push_back({*number, d.device, {}, {}});
    return &records_.back();
  }

  // A node now belongs to the device found on it; an entry still naming it
  // would shadow that device for every reader.
  void ReleaseClaimedNodes() {
    for (auto it = records_.begin(); it != records_.end();) {
      if (IsMatched(it->number) || !Claimed(it->device)) {
        ++it;
      } else if (!it->identity.empty()) {
        it->device = std::string(kAbsentDevicePrefix) + it->identity;
        ++it;
      } else {
        it = records_.erase(it);
      }
    }
  }

  [[nodiscard]] bool IsMatched(int n) const {
    return std::find(matched_.begin(), matched_.end(), n) != matched_.end();
  }
  // A node that a device of this enumeration sits on (and got its number for).
  [[nodiscard]] bool Claimed(const std::string& device) const {
    for (std::size_t k = 0; k < devices_.size(); ++k) {
      if (numbers_[k] >= 0 && devices_[k].device == device) {
        return true;
      }
    }
    return false;
  }

  std::vector<Record> records_;
  const std::vector<DeviceIdentity>& devices_;
  std::vector<int> numbers_;
  std::vector<int> matched_;
  platform::SysIo& io_;
};

}  // namespace

std::vector<int> AssignPortNumbers(const std::string& file,
                                   const std::vector<DeviceIdentity>& devices, platform::SysIo& io,
                                   platform::ProcessList& processes) {
  const RegistryLock lock(file, io);
  const std::vector<Record> stored = LoadRecords(file);
  const std::vector<Record> before = LiveRecords(stored, processes);
  if (!lock.Locked()) {
    return NumbersAsRegistered(before, devices);
  }
  Numbering numbering(before, devices, io);
  numbering.NumberAll();
  if (!SameRecords(numbering.Records(), stored) && !Save(file, numbering.Records(), io)) {
    return NumbersAsRegistered(before, devices);
  }
  return numbering.Numbers();
}

}  // namespace velmora::link
