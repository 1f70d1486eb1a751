#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmora::pages {

// The calibration files opened or saved last, newest first, kept in a small
// file of the user's (one path a CR LF line) that is written whole to a
// temporary name and renamed, so a failed write leaves the last list.
class RecentFiles {
 public:
  static constexpr std::size_t kLimit = 8;

  explicit RecentFiles(std::string file) : file_(std::move(file)) {}

  // Reads the list; a missing or unreadable file gives an empty one. Blank
  // lines, repeats and lines past the limit are dropped.
  void Load();
  // `path` first; false when the list could not be written.
  bool Add(const std::string& path);
  bool Remove(const std::string& path);

  [[nodiscard]] const std::vector<std::string>& Paths() const { return paths_; }

 private:
  bool Store() const;

  std::string file_;
  std::vector<std::string> paths_;
};

}  // namespace velmora::pages
