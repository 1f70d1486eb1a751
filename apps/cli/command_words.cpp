#include "apps/cli/command_words.h"

#include <cstdio>

namespace velmora::cli {

bool TakeCommandValue(const std::vector<std::string>& words, std::size_t& i, std::string_view name,
                      std::string* value) {
  const std::string& w = words[i];
  if (w == name) {
    if (i + 1 >= words.size()) {
      return false;
    }
    *value = words[++i];
    return true;
  }
  if (w.size() > name.size() && w.compare(0, name.size(), name) == 0 && w[name.size()] == '=') {
    *value = w.substr(name.size() + 1);
    return true;
  }
  return false;
}

std::optional<bool> OptionalFlag(const std::vector<std::string>& words, std::string_view flag) {
  if (words.size() == 1) {
    return false;
  }
  if (words.size() == 2 && words[1] == flag) {
    return true;
  }
  return std::nullopt;
}

void Err(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

void Out(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace velmora::cli
