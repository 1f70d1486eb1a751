#pragma once

#include <cstdio>
#include <string_view>

namespace velmora::platform {

// How a command-line program reports the failure that ends it: one line
// "<program>: <what>" on standard error. Calling it gives the exit status.
class ProgramFailure {
 public:
  explicit constexpr ProgramFailure(std::string_view program) : program_(program) {}

  int operator()(std::string_view what) const {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(program_.size()), program_.data(),
                 static_cast<int>(what.size()), what.data());
    std::fflush(stderr);
    return 1;
  }

 private:
  std::string_view program_;
};

}  // namespace velmora::platform
