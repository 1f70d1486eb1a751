#include "link/server/profiles.h"

#include <optional>
#include <string>

#include "core/text.h"

namespace velmora::link::server {
namespace {

constexpr std::string_view kProfileMark = "//";
constexpr int kMinBaud = 50;
constexpr int kMaxBaud = 4'000'000;

std::optional<LineSettings> ParseOne(std::string_view text) {
  const std::vector<std::string> parts = core::Split(core::Trim(text), ',');
  if (parts.empty() || parts.size() > 2) {
    return std::nullopt;
  }
  const auto baud = core::ParseInt32(parts[0]);
  if (!baud || *baud < kMinBaud || *baud > kMaxBaud) {
    return std::nullopt;
  }
  LineSettings s;
  s.baud = *baud;
  if (parts.size() == 2) {
    const std::string frame = core::ToUpper(core::Trim(parts[1]));
    if (frame.size() != 3 || frame[0] < '5' || frame[0] > '8' ||
        std::string_view("NEO").find(frame[1]) == std::string_view::npos ||
        (frame[2] != '1' && frame[2] != '2')) {
      return std::nullopt;
    }
    s.data_bits = frame[0] - '0';
    s.parity = frame[1];
    s.stop_bits = frame[2] - '0';
  }
  return s;
}

}  // namespace

std::vector<LineSettings> DefaultProfiles() {
  return {LineSettings{}};
}

std::vector<LineSettings> ParseProfiles(std::string_view text) {
  std::vector<LineSettings> out;
  std::size_t pos = text.find(kProfileMark);
  while (pos != std::string_view::npos) {
    const std::size_t start = pos + kProfileMark.size();
    const std::size_t next = text.find(kProfileMark, start);
    const std::string_view one =
        text.substr(start, next == std::string_view::npos ? std::string_view::npos : next - start);
    if (const auto s = ParseOne(one)) {
      out.push_back(*s);
    }
    pos = next;
  }
  if (out.empty()) {
    return DefaultProfiles();
  }
  return out;
}

}  // namespace velmora::link::server
