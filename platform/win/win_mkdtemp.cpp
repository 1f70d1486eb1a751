#include <direct.h>
#include <errno.h>
#include <stdlib.h>

#include <cstring>

#include "platform/win/win_handles.h"

namespace {

constexpr int kAttempts = 100;
constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";

}  // namespace

// A new private folder from a name ending in "XXXXXX": the name is filled
// from the performance counter and the process id, and tried again while a
// folder of that name exists.
extern "C" char* mkdtemp(char* name_template) {
  const std::size_t len = name_template != nullptr ? std::strlen(name_template) : 0;
  if (len < 6 || std::strcmp(name_template + len - 6, "XXXXXX") != 0) {
    errno = EINVAL;
    return nullptr;
  }
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    unsigned long long seed =
        static_cast<unsigned long long>(now.QuadPart) * 6364136223846793005ULL +
        GetCurrentProcessId() + static_cast<unsigned>(attempt);
    for (std::size_t i = len - 6; i < len; ++i) {
      name_template[i] = kLetters[seed % (sizeof kLetters - 1)];
      seed /= sizeof kLetters - 1;
    }
    if (_mkdir(name_template) == 0) {
      return name_template;
    }
    if (errno != EEXIST) {
      return nullptr;
    }
  }
  return nullptr;
}
