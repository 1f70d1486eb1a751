#pragma once

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/paths.h"

namespace velmora::test {

// `folder` and the relative path `rel` ("lng/diz.diz") joined as the library
// joins its own paths, with the platform's separator throughout the
// relative part, so expectations compare equal to the paths it builds.
[[nodiscard]] inline std::string JoinPath(const std::string& folder, std::string_view rel) {
  std::string tail(rel);
  std::replace(tail.begin(), tail.end(), '/', core::kSep);
  return folder + core::kSep + tail;
}

// A fresh folder removed with everything in it when the test ends.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "velmora-test-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) != nullptr) {
      path_ = tmpl;
    }
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  [[nodiscard]] const std::string& Path() const { return path_; }
  // A path below the folder; `rel` is written with "/".
  [[nodiscard]] std::string File(std::string_view rel) const { return JoinPath(path_, rel); }

 private:
  std::string path_;
};

}  // namespace velmora::test
