#pragma once

// The one ECU of the unit tests: the virtual ECU's model (sim/) answering the
// ECU frames that reach the fake link. It records every frame and every link
// parameter it is sent; a test can leave one frame unanswered, cut one answer
// short, or have the ECU keep something other than what a write carried.

#include <cstdlib>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/files.h"
#include "core/set_com.h"
#include "link/ecu_frame.h"
#include "link/pipe_protocol.h"
#include "sim/ecu_model.h"
#include "tests/link/fake_link.h"

namespace velmora::test {

// The staged SetCom.ini: the installation's files have their CR LF line ends.
inline core::SetComConfig ShippedSetCom() {
  const char* stage = std::getenv("VELMORA_STAGE");
  std::vector<std::string> lines;
  (void)core::LeggiRighe(std::string(stage != nullptr ? stage : ".") + "/bin/SetCom.ini", lines);
  return core::LeggiSetCom(lines);
}

class ModelEcu {
 public:
  // `clock_us` drives the engine model (a test's fake clock); none keeps it
  // at 0.
  explicit ModelEcu(sim::Hardware hw = sim::Hardware::kNex,
                    std::function<std::int64_t()> clock_us = nullptr)
      : model_(sim::SimSetup{hw, kSlowCommandUs, 1,
                             clock_us ? std::move(clock_us) : [] { return std::int64_t{0}; }}) {}

  // The answer to one request frame; nullopt when the ECU stays silent.
  std::optional<Bytes> Answer(const Bytes& frame) {
    frames.push_back(frame);
    const int n = static_cast<int>(frames.size());
    if (n == silent_at_frame) {
      return std::nullopt;
    }
    Bytes request = frame;
    if (garbled_command != 0 && request.size() > 5 && request[3] == garbled_command) {
      request[request.size() - 2] ^= 0xFF;
      request.back() = link::CheckXor(std::span(request).first(request.size() - 1));
    }
    auto reply = model_.Answer(request);
    if (!reply) {
      return std::nullopt;
    }
    if (n == short_at_frame) {
      return link::ComponiFrame(link::kAnswerFirst, link::kAnswerSecond, request[3],
                                Bytes{0x00, 0x00, 0x00});
    }
    return std::move(reply->frame);
  }

  // A plain link server in front of it: every message answered, the link
  // parameter kept and echoed, ECU frames passed on.
  void Attach(link::testing::FakeLink& link) {
    link.handler = [this](const link::testing::Request& r) { return Serve(r); };
  }
  std::optional<Bytes> Serve(const link::testing::Request& r) {
    if (r.type == static_cast<std::uint8_t>(link::MsgType::kSetParameter) && !r.payload.empty()) {
      parameter = r.payload[0];
      parameters.push_back(parameter);
    }
    if (r.type != static_cast<std::uint8_t>(link::MsgType::kEcuFrame)) {
      return link::testing::Reply(0, {}, 1, parameter);
    }
    const auto answer = Answer(r.payload);
    if (!answer) {
      return std::nullopt;  // the channel times out
    }
    return link::testing::Reply(6, *answer, 1, parameter);
  }

  // The model itself, for answers that are not traffic of the test.
  [[nodiscard]] sim::EcuModel& Model() { return model_; }

  // A region of the ECU's memory, by its name in sim/commands.h.
  [[nodiscard]] std::span<std::uint8_t> Region(std::string_view name) {
    return model_.Memory().Region(name);
  }
  [[nodiscard]] Bytes Held(std::string_view name) {
    const auto r = Region(name);
    return Bytes(r.begin(), r.end());
  }

  // The command bytes of the frames received from `from` on.
  [[nodiscard]] std::vector<std::uint8_t> Commands(std::size_t from = 0) const {
    std::vector<std::uint8_t> out;
    for (std::size_t i = from; i < frames.size(); ++i) {
      out.push_back(frames[i].size() > 3 ? frames[i][3] : 0);
    }
    return out;
  }

  std::vector<Bytes> frames;    // every ECU frame received
  std::vector<int> parameters;  // every message-4 value
  std::uint8_t parameter = 0;
  int silent_at_frame = 0;  // 1-based frame left unanswered
  int short_at_frame = 0;   // 1-based frame answered with three data bytes
  // Writes with this command: the ECU keeps their last byte inverted.
  std::uint8_t garbled_command = 0;

 private:
  static constexpr std::int64_t kSlowCommandUs = 1000;
  sim::EcuModel model_;
};

}  // namespace velmora::test
