#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/process_list.h"

namespace velmora::platform {

namespace {

std::filesystem::path Canonical(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
  if (ec) {
    p = std::filesystem::path(path).lexically_normal();
  }
  if (!p.has_filename() && p.has_parent_path()) {
    p = p.parent_path();  // a trailing separator
  }
  return p;
}

// Process names compared without case: a link server renamed by hand in
// another spelling is still this installation's.
bool SameName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

std::vector<ProcessInfo> FindInstalled(ProcessList& processes, std::string_view name,
                                       const std::string& dir) {
  std::vector<ProcessInfo> found;
  const std::filesystem::path folder = Canonical(dir);
  const int self = processes.SelfPid();
  const unsigned uid = processes.SelfUid();
  for (ProcessInfo& p : processes.List()) {
    if (!SameName(p.name, name) || p.exe_path.empty() || p.pid == self || p.uid != uid) {
      continue;
    }
    if (Canonical(p.exe_path).parent_path() == folder) {
      found.push_back(std::move(p));
    }
  }
  return found;
}

}  // namespace velmora::platform
