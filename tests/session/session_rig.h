#pragma once

// The session on a fake clock and a fake link: a link server inside the test
// that opens the ports the test lets answer and passes ECU frames to the
// virtual ECU's model, recording what the ECU received.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/set_com.h"
#include "link/ecu_access.h"
#include "link/ecu_frame.h"
#include "link/message_table.h"
#include "platform/fake/fake_serial_enumerator.h"
#include "session/session.h"
#include "tests/core/temp_dir.h"
#include "tests/link/fake_link.h"
#include "tests/support/model_ecu.h"

namespace velmora::session::testing {

using test::TempDir;

// Everything the window would show, in order.
class RecordingHost final : public SessionHost {
 public:
  void ShowTitle(std::string_view text) override { titles.emplace_back(text); }
  void ShowCaption(std::string_view text) override { captions.emplace_back(text); }
  void ShowNotice(std::string_view text) override { notices.emplace_back(text); }
  void StateChanged(int /*from*/, int to) override { states.push_back(to); }
  void EnablePages(bool enable) override { pages_enabled = enable; }
  void EnableTimer2(bool enable) override { timer2_enabled = enable; }
  void ShowConnectionIndicator(int picture) override { pictures.push_back(picture); }
  void RefreshPage(int page) override { refreshed.push_back(page); }
  void ShowPorts(const link::PortListing& listing) override { listings.push_back(listing); }
  void CheckFirmware(std::string_view, const Bytes&) override { ++firmware_checks; }
  void LoggaMEM10(const Bytes& answer) override { traces.push_back(answer); }
  void MapWritten(int map, bool ok) override { maps_written.emplace_back(map, ok); }
  void CalibrationRead() override { ++calibration_reads; }
  void RequestRefused(int code) override { refused.push_back(code); }
  void Unload() override {
    ++unloads;
    if (on_unload) {
      on_unload();
    }
  }
  void CloseOtherWindows() override { ++closed_windows; }

  std::vector<std::string> titles;
  std::vector<std::string> captions;
  std::vector<std::string> notices;
  std::vector<int> states;
  std::vector<int> pictures;
  std::vector<int> refreshed;
  std::vector<link::PortListing> listings;
  std::vector<Bytes> traces;
  std::vector<std::pair<int, bool>> maps_written;
  std::vector<int> refused;
  int calibration_reads = 0;
  bool pages_enabled = true;
  bool timer2_enabled = true;
  int firmware_checks = 0;
  int unloads = 0;
  int closed_windows = 0;
  std::function<void()> on_unload;
};

// The calibration procedures as far as the session sees them: each call
// counted, the full read doing real reads so that the ECU sees the traffic.
class FakeCalibration final : public CalibrationService {
 public:
  FakeCalibration(link::EcuAccess& ecu, link::MessageTable& table) : ecu_(ecu), table_(table) {}

  void SetEcu(int g, const EcuCapabilities& c) override {
    generation = g;
    capabilities = c;
  }
  bool ReadAll() override {
    ++reads;
    for (const std::size_t entry : {2u, 3u, 5u, 15u}) {
      if (table_.LeggiVoce(ecu_, entry) != link::kOk) {
        return false;
      }
    }
    return read_result;
  }
  void ApplyDefaultBlockImages(const EcuCapabilities& c) override { defaults.push_back(c); }
  bool SaveFromEcu(const std::string& path) override {
    saves.push_back(path);
    if (during_save) {
      during_save(path);
    }
    return save_result;
  }
  bool LoadToEcu(const std::string& path, int scope) override {
    loads.emplace_back(path, scope);
    if (during_load) {
      during_load(path);
    }
    return load_result;
  }
  bool OpenFile(const std::string& path) override {
    opens.push_back(path);
    return open_result;
  }
  Bytes& ParameterRecord() override { return record; }
  bool WriteMap(int map) override {
    map_writes.push_back(map);
    return map_write_result;
  }
  bool WriteAxes() override {
    ++axis_writes;
    if (during_axis_write) {
      during_axis_write();
    }
    return axis_write_result;
  }

  int generation = -1;
  EcuCapabilities capabilities;
  std::vector<int> map_writes;
  bool map_write_result = true;
  int axis_writes = 0;
  bool axis_write_result = true;
  std::function<void()> during_axis_write;  // what happens to the link meanwhile
  int reads = 0;
  bool read_result = true;
  std::vector<EcuCapabilities> defaults;
  std::vector<std::string> saves;
  std::vector<std::pair<std::string, int>> loads;
  std::vector<std::string> opens;
  // What a save or a load does besides being counted (writes the file, notes
  // when it came).
  std::function<void(const std::string&)> during_save;
  std::function<void(const std::string&)> during_load;
  bool save_result = true;
  bool load_result = true;
  bool open_result = true;
  Bytes record = Bytes(16, 0x11);

 private:
  link::EcuAccess& ecu_;
  link::MessageTable& table_;
};

struct SessionRig {
  platform::FakeClock clock;
  link::testing::FakeLink link{clock};
  platform::FakeMessageBox box;
  platform::FakeProcessList processes;
  platform::FakeSerialEnumerator enumerator;
  core::SessionFlags flags;
  link::ModPipe pipe;
  link::EcuAccess ecu;
  core::SetComConfig set_com = test::ShippedSetCom();
  link::MessageTable table{set_com.messages};
  test::ModelEcu device;
  RecordingHost host;
  FakeCalibration calibration{ecu, table};
  TempDir dir;
  std::unique_ptr<Session> session;

  static constexpr std::size_t kRunawayOpens = 1000;

  // The link server's view.
  std::set<int> answering_ports;  // ports on which the ECU answers
  bool ecu_alive = true;
  bool link_silent = false;  // nothing answers: the channel times out
  bool trace_trigger = false;
  int trace_counter = 0;
  int open_port = -1;
  std::uint8_t parameter = 0;
  std::vector<int> opened;                     // message 3's port numbers, in order
  std::vector<Bytes>& frames = device.frames;  // ECU frames received
  std::vector<std::uint8_t> types;             // every message type, in order

  explicit SessionRig(sim::Hardware hw = sim::Hardware::kNex)
      : pipe(link::PipeServices{box, clock, link, processes, platform::PosixSysIo(), flags},
             link::LinkLocation{"/opt/velmora/bin", "LinkSrv", {}}),
        ecu(pipe, link::LinkTimes{2'000'000, 500'000, 20}),
        device(hw, [this] { return clock.now; }) {
    link.AttachTo(pipe);
    link.handler = [this](const link::testing::Request& r) { return Serve(r); };
    enumerator.devices = {platform::FakeSerialEnumerator::Named("Adapter (COM3)"),
                          platform::FakeSerialEnumerator::Named("Adapter (COM7)"),
                          platform::FakeSerialEnumerator::Named("Adapter (COM9)")};
    Build();
  }

  void Build(SessionSettings settings = {}) {
    settings.set_com = set_com;
    settings.main_title = "Velmora";
    settings.port_com_file = dir.File("PortCom.ini");
    settings.registry_file = dir.File("PortReg.ini");
    settings.default_calibration = dir.File("00 Direct Inj Custom.xsi");
    settings.reference_answers = {Bytes{0x42, 0x01, 0x04, 0x21, 0x14, 0x72}, {}, {}, {}};
    session = std::make_unique<Session>(
        SessionEnv{ecu, table, flags, link, enumerator, box, host, calibration},
        std::move(settings));
  }

  std::optional<Bytes> Serve(const link::testing::Request& r) {
    types.push_back(r.type);
    if (link_silent) {
      return std::nullopt;
    }
    const auto reply = [&](std::uint8_t status, const Bytes& payload = {}) {
      const std::uint8_t state = open_port >= 0 && ecu_alive ? 1 : 0;
      return link::testing::Reply(status, payload, state, parameter,
                                  static_cast<std::uint8_t>(open_port < 0 ? 0 : open_port));
    };
    switch (static_cast<link::MsgType>(r.type)) {
      case link::MsgType::kReset:
        open_port = -1;
        return reply(0);
      case link::MsgType::kSetParameter:
        if (!r.payload.empty()) {
          parameter = r.payload[0];
        }
        return reply(0);
      case link::MsgType::kOpenPort: {
        const int port = r.payload.empty() ? -1 : r.payload[0];
        opened.push_back(port);
        open_port = -1;
        if (opened.size() > kRunawayOpens) {
          flags.exit_request = true;  // a test that would never end: end it
        }
        if (!ecu_alive || answering_ports.count(port) == 0) {
          return reply(0);
        }
        open_port = port;
        const auto ident = link::RequestFrame(link::cmd::kIdentify);
        return reply(0, device.Model().Answer(*ident)->frame);
      }
      case link::MsgType::kEcuFrame: {
        if (open_port < 0 || !ecu_alive) {
          return reply(4);
        }
        auto answer = device.Answer(r.payload);
        if (!answer) {
          return reply(4);
        }
        if (trace_trigger && r.payload.size() > 3 && r.payload[3] == link::cmd::kReadLive) {
          SetTraceTrigger(*answer);
        }
        return reply(6, *answer);
      }
      default:
        return reply(0);
    }
  }

  // The live record's trace trigger (data byte 82, bit 7) set, with the
  // check byte made right again; each answer differs by a counter byte.
  void SetTraceTrigger(Bytes& frame) {
    constexpr std::size_t kFlags = link::kAnswerDataOffset + 82;
    if (frame.size() <= kFlags + 1) {
      return;
    }
    frame[kFlags] |= 0x80;
    frame[link::kAnswerDataOffset] = static_cast<std::uint8_t>(++trace_counter);
    frame.back() = link::CheckXor(std::span(frame).first(frame.size() - 1));
  }

  // Command bytes of the ECU frames received from `from` on.
  [[nodiscard]] std::vector<std::uint8_t> Commands(std::size_t from = 0) const {
    return device.Commands(from);
  }

  // A tick of Timer1 as the window's timer gives it, 50 ms after the last.
  void Tick() {
    clock.now += session_timing::kTimer1IntervalMs * 1000;
    session->Timer1_Timer();
  }

  // Ticks until the state is `state`, at most `ticks` times.
  bool TickUntil(int state, int ticks = 10) {
    for (int i = 0; i < ticks && session->State() != state; ++i) {
      Tick();
    }
    return session->State() == state;
  }

  // Starts and connects on `port`.
  bool Connect(int port = 7) {
    answering_ports.insert(port);
    session->Start();
    Tick();
    return session->State() == core::session_state::kConnected;
  }
};

}  // namespace velmora::session::testing
