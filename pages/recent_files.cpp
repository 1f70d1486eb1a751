#include "pages/recent_files.h"

#include <algorithm>

#include "core/files.h"
#include "core/text.h"

namespace velmora::pages {

void RecentFiles::Load() {
  paths_.clear();
  std::vector<std::string> lines;
  if (!core::LeggiRighe(file_, lines)) {
    return;
  }
  for (const std::string& line : lines) {
    if (paths_.size() == kLimit) {
      break;
    }
    if (!core::Trim(line).empty() &&
        std::find(paths_.begin(), paths_.end(), line) == paths_.end()) {
      paths_.push_back(line);
    }
  }
}

bool RecentFiles::Add(const std::string& path) {
  std::erase(paths_, path);
  paths_.insert(paths_.begin(), path);
  if (paths_.size() > kLimit) {
    paths_.resize(kLimit);
  }
  return Store();
}

bool RecentFiles::Remove(const std::string& path) {
  std::erase(paths_, path);
  return Store();
}

bool RecentFiles::Store() const {
  return core::WriteFileAtomic(file_, core::JoinCrLf(paths_));
}

}  // namespace velmora::pages
