#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"

// ModNexObd: the OBD protocols, the order the protocol search tries them in,
// and the text form of the car's diagnostic trouble codes.
namespace velmora::diag {

namespace obd_protocol {
inline constexpr int kIsoKl5Baud9141 = 1;
inline constexpr int kIsoKl5Baud = 2;
inline constexpr int kIsoKlFast = 3;
inline constexpr int kCanStd50 = 4;
inline constexpr int kCanExt500 = 8;
inline constexpr int kGeneric = 11;  // and above: no protocol settled yet
}  // namespace obd_protocol

// The protocol's name; empty for an unknown code.
[[nodiscard]] std::string_view ProtocolName(int code);

// The protocol the search tries after `code`.
[[nodiscard]] int NextProtocol(int code);

// Which protocols a search tries: CAN, K-line or any.
namespace search_family {
inline constexpr int kKLine = 1;
inline constexpr int kCan = 4;
inline constexpr int kAny = 11;
}  // namespace search_family

// Tries the protocols of `family` in order through `trial`, which sends one
// protocol trial and gives the ECU's answer frame (nullopt when the exchange
// failed); `trying` is told each protocol first. The protocol found, or
// nullopt: no answer, a short answer or every protocol of the family tried.
using ProtocolTrial = std::function<std::optional<Bytes>(int protocol)>;
[[nodiscard]] std::optional<int> SearchProtocol(int family, const ProtocolTrial& trial,
                                                const std::function<void(int)>& trying = {});

// A trouble code's five characters (P0301): letter and first digit from the
// high byte's top bits, then three hexadecimal digits.
[[nodiscard]] std::string DtcText(std::uint8_t high, std::uint8_t low);
[[nodiscard]] std::string DtcText(std::uint16_t code);

// The code a typed text stands for ("p0420" is 0x0420); nullopt for a text
// that is not a letter P, C, B or U, a digit 0..3 and three hexadecimal
// digits.
[[nodiscard]] std::optional<std::uint16_t> DtcFromText(std::string_view text);

// A fuel trim's raw count in percent, the integer part taken downwards:
// 128 is 0 %, 0 is -100 %, 255 is 99 %.
[[nodiscard]] int TrimPercent(int raw);

}  // namespace velmora::diag
