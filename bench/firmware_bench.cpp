// A whole-flash firmware update (every sector written) of the virtual ECU at
// 115200 baud through the pipe channel and LinkSrv: its time against the
// wire time of the frames it exchanged plus the procedure's fixed waits
// (progress steps, the end's blinking, the 13-second restart). The ECU is
// blank, so no calibration travels, and it answers at once (no working time
// per command, no erase time): what the update takes beyond the wire and the
// waits is the workstation's and the link's own. Prints figures; never
// judges them.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_link.h"
#include "core/files.h"
#include "core/hex.h"
#include "core/set_com.h"
#include "core/text.h"
#include "firmware/firmware_update.h"
#include "firmware/flash_programmer.h"
#include "link/ecu_frame.h"
#include "link/message_table.h"
#include "platform/program_failure.h"
#include "session/calibration_service.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmora;

constexpr int kBaud = 115200;
constexpr double kBitsPerByte = 10.0;  // start bit, 8 data bits, stop bit
constexpr std::size_t kShortAnswer = 6;
constexpr std::size_t kAnswerOverhead = 6;  // header, result byte and check byte
constexpr velmora::platform::ProgramFailure Fail{"firmware_bench"};

// A blank ECU holds no calibration: nothing is saved or loaded.
class NoCalibration final : public session::CalibrationService {
 public:
  void SetEcu(int, const session::EcuCapabilities&) override {}
  bool ReadAll() override { return true; }
  void ApplyDefaultBlockImages(const session::EcuCapabilities&) override {}
  bool SaveFromEcu(const std::string&) override { return true; }
  bool LoadToEcu(const std::string&, int) override { return true; }
  bool OpenFile(const std::string&) override { return true; }
  Bytes& ParameterRecord() override { return record_; }
  bool WriteMap(int) override { return true; }
  bool WriteAxes() override { return true; }

 private:
  Bytes record_;
};

// Every sector full of program bytes, the identification at its place.
firmware::FlashImage WholeFlash(const firmware::FlashLayout& layout) {
  firmware::ImageFile file;
  for (const firmware::FlashSector& sector : layout.sectors) {
    Bytes data(sector.last - sector.first + 1);
    for (std::size_t i = 0; i < data.size(); ++i) {
      data[i] = static_cast<std::uint8_t>((sector.first + i * 29) & 0x7F);
    }
    file.records.push_back({sector.first, std::move(data), 0});
  }
  // 03.07 - 01/02/2024, then the text padded with blanks.
  const std::string text = "\x03\x07\x01\x02\x20\x24GASECU SEQ NEXHW 8CYL R03";
  Bytes id(firmware::kIdentificationSize, ' ');
  std::copy(text.begin(), text.end(), id.begin());
  file.records.push_back({firmware::kDefaultIdentificationAddress, id, 0});
  return *firmware::BuildFlashImage(file, layout).image;
}

// The bytes of the frames the ECU received and of its answers.
std::size_t WireBytes(const std::string& record, std::size_t* frames) {
  std::string text;
  (void)core::ReadWholeFile(record, text);
  std::size_t bytes = 0;
  *frames = 0;
  for (const std::string& line : core::Split(text, '\n')) {
    const auto frame = core::HexToBin(line.substr(0, line.find(' ')));
    if (!frame || frame->size() < 5) {
      continue;
    }
    ++*frames;
    const std::uint8_t command = (*frame)[3];
    std::size_t answer = kShortAnswer;
    if (command == link::cmd::kFlashChecksums) {
      answer = kAnswerOverhead + 2 * (*frame)[8];
    } else if (command == link::cmd::kReadConnection) {
      answer = kAnswerOverhead + 16;
    }
    bytes += frame->size() + answer;
  }
  return bytes;
}

// The waits the procedure makes whatever the line: twelve progress steps,
// the end's ten blinks and the restart's 130.
double FixedWaitsUs() {
  namespace p = firmware::progress;
  return static_cast<double>(2 * p::kSteps * p::kStepUs +
                             (p::kFinishBlinks + p::kRestartBlinks) * p::kBlinkUs);
}

}  // namespace

int main() {
  if (std::getenv("VELMORA_STAGE") == nullptr) {
    ::setenv("VELMORA_STAGE", VELMORA_STAGE_DEFAULT, 0);
  }
  e2e::TempRoot root(e2e::SetComValues{{"[AttesaGlobale_usec]", "1000000"}});
  const std::string record = root.Root() + "/requests.txt";
  e2e::Sim sim(root, {"--hw", "blank", "--baud", std::to_string(kBaud), "--erase-ms", "0",
                      "--proc-us", "0", "--record", record});
  if (!sim.Ready()) {
    return Fail("the virtual ECU did not start");
  }
  bench::BenchLink bench_link(root.Root());
  if (const char* failure = bench_link.Open(sim.Port())) {
    return Fail(failure);
  }
  std::vector<std::string> set_com;
  (void)core::LeggiRighe(bench_link.paths.set_com, set_com);
  link::MessageTable table(core::LeggiSetCom(set_com).messages);
  (void)table.LeggiVoce(bench_link.ecu, 0);  // the blank identification
  const auto layout = firmware::ReadFlashLayout(e2e::StageBin() + "/Flash.ini").layout;
  if (!layout) {
    return Fail("the staged Flash.ini cannot be read");
  }
  NoCalibration calibration;
  firmware::UpdateObserver quiet;
  const firmware::FlashImage image = WholeFlash(*layout);
  const std::size_t blocks = image.BlockCount();
  firmware::FirmwareUpdate update({bench_link.ecu, table, calibration, bench_link.paths, {}}, image,
                                  quiet);
  const std::int64_t start = bench_link.clock.NowMicros();
  const firmware::UpdateResult result = update.Run();
  const double took_us = static_cast<double>(bench_link.clock.NowMicros() - start);
  bench_link.Close();
  if (result.code != firmware::update_code::kOk) {
    return Fail("the update ended with code " + std::to_string(result.code));
  }
  std::size_t frames = 0;
  const std::size_t bytes = WireBytes(record, &frames);
  const double wire_us = static_cast<double>(bytes) * kBitsPerByte * 1e6 / kBaud;
  const double reference_us = wire_us + FixedWaitsUs();
  std::printf("flash:                %zu blocks of 128 bytes, every sector written\n", blocks);
  std::printf("frames:               %zu (%zu bytes both ways)\n", frames, bytes);
  std::printf("wire time:            %.1f s at %d baud\n", wire_us / 1e6, kBaud);
  std::printf("fixed waits:          %.1f s\n", FixedWaitsUs() / 1e6);
  std::printf("update:               %.1f s\n", took_us / 1e6);
  std::printf("update / (wire + waits): %.3f (target at most 1.05)\n", took_us / reference_us);
  return 0;
}
