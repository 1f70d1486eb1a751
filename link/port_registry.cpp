#include "link/port_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
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
};

std::optional<int> NumberOfIdentityKey(std::string_view line) {
  const std::string_view key = core::Trim(line);
  const std::string_view suffix = kIdentityKeySuffix;
  if (!key.ends_with(suffix) || key.size() <= suffix.size()) {
    return std::nullopt;
  }
  return NumberOfKey(std::string(key.substr(0, key.size() - suffix.size())) + "]");
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
      records.push_back({*number, device, {}});
    }
  }
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    const auto number = NumberOfIdentityKey(lines[i]);
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

bool DeviceExists(const std::string& device) {
  struct stat st {};
  return ::stat(device.c_str(), &st) == 0;
}

// Serialises read-modify-write cycles of processes and threads sharing one
// registry; each holder opens its own descriptor, so threads exclude each
// other too.
class RegistryLock {
 public:
  explicit RegistryLock(const std::string& file)
      : fd_(::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (!fd_.Valid()) {
      return;
    }
    int rc = 0;
    do {
      rc = ::flock(fd_.Get(), LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    locked_ = rc == 0;
  }
  RegistryLock(const RegistryLock&) = delete;
  RegistryLock& operator=(const RegistryLock&) = delete;
  ~RegistryLock() {
    if (locked_) {
      (void)::flock(fd_.Get(), LOCK_UN);
    }
  }
  [[nodiscard]] bool Locked() const { return locked_; }

 private:
  platform::UniqueFd fd_;
  bool locked_ = false;
};

bool Save(const std::string& file, std::vector<Record> records) {
  std::sort(records.begin(), records.end(),
            [](const Record& a, const Record& b) { return a.number < b.number; });
  return core::WriteFileAtomic(file, FormatRecords(records));
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

std::vector<PortEntry> LoadPortRegistry(const std::string& file) {
  std::vector<PortEntry> entries;
  for (Record& r : LoadRecords(file)) {
    entries.push_back({r.number, std::move(r.device)});
  }
  return entries;
}

std::vector<PortIdentity> LoadPortIdentities(const std::string& file) {
  std::vector<PortIdentity> identities;
  for (Record& r : LoadRecords(file)) {
    if (!r.identity.empty()) {
      identities.push_back({r.number, std::move(r.identity)});
    }
  }
  return identities;
}

std::optional<std::string> LookupPort(const std::string& file, int number) {
  for (const PortEntry& e : LoadPortRegistry(file)) {
    if (e.number == number) {
      return e.device;
    }
  }
  if (number == kUsbPortNumber) {
    return FirstUsbSerialDevice();
  }
  return std::nullopt;
}

std::optional<int> RegisterPort(const std::string& file, const std::string& device, int requested) {
  if (!UsableValue(device) || requested > kMaxPortNumber) {
    return std::nullopt;
  }
  const RegistryLock lock(file);
  if (!lock.Locked()) {
    return std::nullopt;
  }
  std::vector<Record> records = LoadRecords(file);
  const auto mine = std::find_if(records.begin(), records.end(),
                                 [&](const Record& r) { return r.device == device; });
  if (mine != records.end() && (requested < 0 || mine->number == requested)) {
    return mine->number;
  }
  std::string identity;
  if (mine != records.end()) {
    identity = std::move(mine->identity);
    records.erase(mine);
  }
  auto holder = [&](int n) {
    return std::find_if(records.begin(), records.end(),
                        [&](const Record& r) { return r.number == n; });
  };
  int number = -1;
  if (requested >= 0) {
    const auto it = holder(requested);
    if (it != records.end()) {
      if (DeviceExists(it->device)) {
        return std::nullopt;
      }
      records.erase(it);
    }
    number = requested;
  } else {
    for (int n = 1; n <= kMaxPortNumber && number < 0; ++n) {
      if (holder(n) == records.end()) {
        number = n;
      }
    }
    if (number < 0) {
      // Every number is taken: reuse the lowest one whose device is gone.
      const auto stale = std::find_if(records.begin(), records.end(), [](const Record& r) {
        return r.number >= 1 && !DeviceExists(r.device);
      });
      if (stale == records.end()) {
        return std::nullopt;
      }
      number = stale->number;
      records.erase(stale);
    }
  }
  records.push_back({number, device, std::move(identity)});
  if (!Save(file, std::move(records))) {
    return std::nullopt;
  }
  return number;
}

bool UnregisterPort(const std::string& file, const std::string& device) {
  const RegistryLock lock(file);
  if (!lock.Locked()) {
    return false;
  }
  std::vector<Record> records = LoadRecords(file);
  const auto removed = std::erase_if(records, [&](const Record& r) { return r.device == device; });
  if (removed == 0) {
    return true;
  }
  return Save(file, std::move(records));
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

}  // namespace

std::vector<int> AssignPortNumbers(const std::string& file,
                                   const std::vector<DeviceIdentity>& devices) {
  const RegistryLock lock(file);
  std::vector<Record> records = LoadRecords(file);
  if (!lock.Locked()) {
    return NumbersAsRegistered(records, devices);
  }
  const std::vector<Record> before = records;
  std::vector<int> numbers(devices.size(), -1);
  std::vector<int> matched;
  auto is_matched = [&](int n) {
    return std::find(matched.begin(), matched.end(), n) != matched.end();
  };
  // A node that a device of this enumeration sits on (and got its number for).
  auto claimed = [&](const std::string& device) {
    for (std::size_t k = 0; k < devices.size(); ++k) {
      if (numbers[k] >= 0 && devices[k].device == device) {
        return true;
      }
    }
    return false;
  };
  for (std::size_t k = 0; k < devices.size(); ++k) {
    const DeviceIdentity& d = devices[k];
    const bool repeated = std::any_of(
        devices.begin(), devices.begin() + static_cast<std::ptrdiff_t>(k),
        [&](const DeviceIdentity& o) { return o.identity == d.identity || o.device == d.device; });
    if (!UsableValue(d.identity) || !UsableValue(d.device) || repeated) {
      continue;
    }
    auto it = std::find_if(records.begin(), records.end(),
                           [&](const Record& r) { return r.identity == d.identity; });
    if (it == records.end()) {
      // Registered earlier by its node alone (a --device run, say).
      it = std::find_if(records.begin(), records.end(), [&](const Record& r) {
        return r.identity.empty() && r.device == d.device && !is_matched(r.number);
      });
    }
    if (it == records.end()) {
      int number = -1;
      for (int n = 1; n <= kMaxPortNumber && number < 0; ++n) {
        if (std::none_of(records.begin(), records.end(),
                         [&](const Record& r) { return r.number == n; })) {
          number = n;
        }
      }
      if (number < 0) {
        const auto stale = std::find_if(records.begin(), records.end(), [&](const Record& r) {
          return r.number >= 1 && !is_matched(r.number) && !claimed(r.device) &&
                 !DeviceExists(r.device);
        });
        if (stale == records.end()) {
          continue;
        }
        number = stale->number;
        records.erase(stale);
      }
      records.push_back({number, d.device, {}});
      it = records.end() - 1;
    }
    it->device = d.device;
    it->identity = d.identity;
    matched.push_back(it->number);
    numbers[k] = it->number;
  }
  // A node now belongs to the device found on it; an entry still naming it
  // would shadow that device for every reader.
  for (auto it = records.begin(); it != records.end();) {
    if (is_matched(it->number) || !claimed(it->device)) {
      ++it;
    } else if (!it->identity.empty()) {
      it->device = std::string(kAbsentDevicePrefix) + it->identity;
      ++it;
    } else {
      it = records.erase(it);
    }
  }
  const bool changed =
      records.size() != before.size() ||
      !std::equal(records.begin(), records.end(), before.begin(),
                  [](const Record& a, const Record& b) {
                    return a.number == b.number && a.device == b.device && a.identity == b.identity;
                  });
  if (changed && !Save(file, records)) {
    return NumbersAsRegistered(before, devices);
  }
  return numbers;
}

}  // namespace velmora::link
