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

std::vector<PortEntry> ParseRegistry(const std::vector<std::string>& lines) {
  std::vector<PortEntry> entries;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    const auto number = NumberOfKey(lines[i]);
    if (!number) {
      continue;
    }
    const std::string device(core::Trim(lines[i + 1]));
    if (device.empty() || core::IsBracketKey(device)) {
      continue;
    }
    ++i;
    const bool taken = std::any_of(entries.begin(), entries.end(), [&](const PortEntry& e) {
      return e.number == *number || e.device == device;
    });
    if (!taken) {
      entries.push_back({*number, device});
    }
  }
  std::sort(entries.begin(), entries.end(),
            [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });
  return entries;
}

std::string FormatRegistry(const std::vector<PortEntry>& entries) {
  std::vector<std::string> lines;
  for (const PortEntry& e : entries) {
    lines.push_back(std::string(kKeyPrefix) + std::to_string(e.number) + "]");
    lines.push_back(e.device);
  }
  return core::JoinCrLf(lines);
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

bool Save(const std::string& file, const std::vector<PortEntry>& entries) {
  return core::WriteFileAtomic(file, FormatRegistry(entries));
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
  std::vector<std::string> lines;
  if (!core::LeggiRighe(file, lines)) {
    return {};
  }
  return ParseRegistry(lines);
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
  if (device.empty() || core::IsBracketKey(device) || requested > kMaxPortNumber ||
      device.find_first_of("\r\n") != std::string::npos) {
    return std::nullopt;
  }
  const RegistryLock lock(file);
  if (!lock.Locked()) {
    return std::nullopt;
  }
  std::vector<PortEntry> entries = LoadPortRegistry(file);
  const auto mine = std::find_if(entries.begin(), entries.end(),
                                 [&](const PortEntry& e) { return e.device == device; });
  if (mine != entries.end() && (requested < 0 || mine->number == requested)) {
    return mine->number;
  }
  if (mine != entries.end()) {
    entries.erase(mine);
  }
  auto holder = [&](int n) {
    return std::find_if(entries.begin(), entries.end(),
                        [&](const PortEntry& e) { return e.number == n; });
  };
  int number = -1;
  if (requested >= 0) {
    const auto it = holder(requested);
    if (it != entries.end()) {
      if (DeviceExists(it->device)) {
        return std::nullopt;
      }
      entries.erase(it);
    }
    number = requested;
  } else {
    for (int n = 1; n <= kMaxPortNumber && number < 0; ++n) {
      if (holder(n) == entries.end()) {
        number = n;
      }
    }
    if (number < 0) {
      // Every number is taken: reuse the lowest one whose device is gone.
      const auto stale = std::find_if(entries.begin(), entries.end(), [](const PortEntry& e) {
        return e.number >= 1 && !DeviceExists(e.device);
      });
      if (stale == entries.end()) {
        return std::nullopt;
      }
      number = stale->number;
      entries.erase(stale);
    }
  }
  entries.push_back({number, device});
  std::sort(entries.begin(), entries.end(),
            [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });
  if (!Save(file, entries)) {
    return std::nullopt;
  }
  return number;
}

bool UnregisterPort(const std::string& file, const std::string& device) {
  const RegistryLock lock(file);
  if (!lock.Locked()) {
    return false;
  }
  std::vector<PortEntry> entries = LoadPortRegistry(file);
  const auto removed =
      std::erase_if(entries, [&](const PortEntry& e) { return e.device == device; });
  if (removed == 0) {
    return true;
  }
  return Save(file, entries);
}

}  // namespace velmora::link
