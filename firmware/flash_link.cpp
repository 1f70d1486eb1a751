#include "firmware/flash_link.h"

#include "link/ecu_frame.h"

namespace velmora::firmware {

namespace {
constexpr std::size_t kCommandByte = 3;
constexpr std::size_t kResultByte = 4;
constexpr std::uint8_t kResultOk = 0x00;
}  // namespace

Exchange FlashLink::Send(std::uint8_t command, std::span<const std::uint8_t> data, Bytes* answer,
                         int timeout_factor) {
  Bytes reply;
  const auto frame = link::RequestFrame(command, data);
  if (!frame) {
    return Exchange::kFailed;
  }
  const int code = ecu_.Pipe().InviaMessaggio(link::MsgType::kEcuFrame, *frame,
                                              ecu_.Times().pipe_us * timeout_factor, &reply);
  if (answer != nullptr) {
    *answer = reply;
  }
  if (code != link::kOk || !Connected()) {
    return Exchange::kFailed;
  }
  if (reply.size() <= kResultByte || reply[0] != link::kAnswerFirst ||
      reply[1] != link::kAnswerSecond || reply[kCommandByte] != command) {
    return Exchange::kFailed;
  }
  return reply[kResultByte] == kResultOk ? Exchange::kDone : Exchange::kRefused;
}

bool FlashLink::SetWait(bool long_wait) {
  return ecu_.SetEcuWait(long_wait) == link::kOk && Connected();
}

bool FlashLink::ReadEntry(link::MessageTable& table, std::size_t entry) {
  return table.LeggiVoce(ecu_, entry) == link::kOk && Connected();
}

}  // namespace velmora::firmware
