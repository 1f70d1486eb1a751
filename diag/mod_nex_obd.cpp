#include "diag/mod_nex_obd.h"

#include <array>
#include <cctype>

namespace velmora::diag {

namespace {

constexpr std::array<std::string_view, 12> kProtocolNames = {
    "",           "ISO KL 5BAUD 9141", "ISO KL 5BAUD", "ISO KL FAST", "CAN STD50", "CAN STD250",
    "CAN STD500", "CAN EXT250",        "CAN EXT500",   "J1850 PWM",   "J1850 VPW", "GENERIC"};

// Where a family's search starts (the protocol before its first) and the
// protocol whose failure ends it.
struct FamilyPlan {
  int family;
  int start;
  int last;
};
constexpr std::array<FamilyPlan, 3> kFamilies = {{
    {search_family::kCan, obd_protocol::kIsoKlFast, obd_protocol::kCanExt500},
    {search_family::kKLine, obd_protocol::kCanExt500, obd_protocol::kIsoKlFast},
    {search_family::kAny, 255, obd_protocol::kIsoKlFast},
}};

// A trial answer: the frame's sixth and seventh bytes are both 255 when the
// car did not answer on the protocol.
constexpr std::size_t kMinTrialAnswer = 9;
constexpr std::size_t kNoAnswerFirst = 6;
constexpr std::size_t kNoAnswerSecond = 7;
constexpr std::uint8_t kNoAnswer = 0xFF;

constexpr std::array<char, 4> kDtcLetters = {'P', 'C', 'B', 'U'};
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kDtcLength = 5;
constexpr int kMaxFirstDigit = 3;

std::optional<int> HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return std::nullopt;
}

}  // namespace

std::string_view ProtocolName(int code) {
  if (code < 1 || code >= static_cast<int>(kProtocolNames.size())) {
    return {};
  }
  return kProtocolNames[static_cast<std::size_t>(code)];
}

int NextProtocol(int code) {
  if (code == obd_protocol::kIsoKl5Baud9141 || code == obd_protocol::kIsoKl5Baud) {
    return obd_protocol::kIsoKlFast;
  }
  if (code >= obd_protocol::kIsoKlFast && code < obd_protocol::kCanExt500) {
    return code + 1;
  }
  if (code == obd_protocol::kCanExt500) {
    return obd_protocol::kIsoKl5Baud9141;
  }
  return obd_protocol::kCanStd50;
}

std::optional<int> SearchProtocol(int family, const ProtocolTrial& trial,
                                  const std::function<void(int)>& trying) {
  const FamilyPlan* plan = nullptr;
  for (const FamilyPlan& p : kFamilies) {
    if (p.family == family) {
      plan = &p;
    }
  }
  if (plan == nullptr) {
    return std::nullopt;
  }
  int protocol = plan->start;
  // Every family ends within the eight protocols the order cycles through.
  for (std::size_t guard = 0; guard < kProtocolNames.size(); ++guard) {
    protocol = NextProtocol(protocol);
    if (trying) {
      trying(protocol);
    }
    const std::optional<Bytes> answer = trial(protocol);
    if (!answer || answer->size() < kMinTrialAnswer) {
      return std::nullopt;
    }
    if ((*answer)[kNoAnswerFirst] != kNoAnswer || (*answer)[kNoAnswerSecond] != kNoAnswer) {
      return protocol;
    }
    if (protocol == plan->last) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::string DtcText(std::uint8_t high, std::uint8_t low) {
  std::string text(kDtcLength, ' ');
  text[0] = kDtcLetters[high >> 6];
  text[1] = static_cast<char>('0' + ((high >> 4) & 0x03));
  text[2] = kHexDigits[high & 0x0F];
  text[3] = kHexDigits[low >> 4];
  text[4] = kHexDigits[low & 0x0F];
  return text;
}

std::string DtcText(std::uint16_t code) {
  return DtcText(static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code & 0xFF));
}

std::optional<std::uint16_t> DtcFromText(std::string_view text) {
  if (text.size() != kDtcLength) {
    return std::nullopt;
  }
  std::string upper(text);
  for (char& c : upper) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  int code = -1;
  for (std::size_t i = 0; i < kDtcLetters.size(); ++i) {
    if (upper[0] == kDtcLetters[i]) {
      code = static_cast<int>(i) << 14;
    }
  }
  const int first = upper[1] - '0';
  if (code < 0 || first < 0 || first > kMaxFirstDigit) {
    return std::nullopt;
  }
  code += first << 12;
  for (std::size_t i = 2; i < kDtcLength; ++i) {
    const auto digit = HexValue(upper[i]);
    if (!digit) {
      return std::nullopt;
    }
    code += *digit << (4 * (kDtcLength - 1 - i));
  }
  return static_cast<std::uint16_t>(code);
}

int TrimPercent(int raw) {
  // 100 / 128 x raw - 100, taken downwards also below zero.
  const int scaled = 100 * raw - 12'800;
  return scaled >= 0 ? scaled / 128 : -((-scaled + 127) / 128);
}

}  // namespace velmora::diag
