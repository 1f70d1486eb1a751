#include "sim/command_silence.h"

#include <charconv>

namespace velmora::sim {
namespace {

constexpr std::size_t kCommandAt = 3;  // 0x41 0x02 length command ...
constexpr long kMaxAfter = 1'000'000'000;

}  // namespace

bool CommandSilence::Silences(std::span<const std::uint8_t> request) {
  if (command < 0) {
    return false;
  }
  if (seen >= after) {
    return true;
  }
  if (request.size() > kCommandAt && request[kCommandAt] == command) {
    ++seen;
  }
  return false;
}

bool ParseCommandSilence(std::string_view text, CommandSilence& into) {
  const std::size_t colon = text.find(':');
  if (colon != 2) {
    return false;
  }
  int command = 0;
  long after = 0;
  const char* end = text.data() + text.size();
  const auto c = std::from_chars(text.data(), text.data() + colon, command, 16);
  const auto a = std::from_chars(text.data() + colon + 1, end, after);
  if (c.ec != std::errc() || c.ptr != text.data() + colon || a.ec != std::errc() || a.ptr != end ||
      colon + 1 == text.size() || after < 0 || after > kMaxAfter) {
    return false;
  }
  into = CommandSilence{.command = command, .after = after};
  return true;
}

}  // namespace velmora::sim
