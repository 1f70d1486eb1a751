// A full calibration save from the virtual ECU at 115200 baud through the
// pipe channel and LinkSrv: the time of each save against the time its bytes
// need on the wire. Prints figures; never judges them.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_link.h"
#include "calib/calibration_env.h"
#include "calib/calibration_file.h"
#include "calib/calibration_image.h"
#include "calib/calibration_save.h"
#include "core/files.h"
#include "core/hex.h"
#include "core/set_com.h"
#include "core/text.h"
#include "link/ecu_access.h"
#include "link/message_table.h"
#include "platform/fake/fakes.h"
#include "platform/posix/posix_clock.h"
#include "platform/program_failure.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmora;

constexpr int kSaves = 8;
constexpr int kBaud = 115200;
constexpr int kNewestGeneration = 3;
constexpr double kBitsPerByte = 10.0;  // start bit, 8 data bits, stop bit

constexpr velmora::platform::ProgramFailure Fail{"save_bench"};

// Bytes of the requests the virtual ECU recorded from `from` on, and how
// many there were.
std::size_t RequestBytes(const std::string& record, std::size_t from, std::size_t* count) {
  std::string text;
  (void)core::ReadWholeFile(record, text);
  std::size_t bytes = 0;
  *count = 0;
  for (const std::string& line : core::Split(text.substr(std::min(from, text.size())), '\n')) {
    if (!line.empty()) {
      bytes += line.size() / 2;
      ++*count;
    }
  }
  return bytes;
}

std::size_t FileSize(const std::string& record) {
  std::string text;
  (void)core::ReadWholeFile(record, text);
  return text.size();
}

// Bytes of the answers the save kept: every section of the file is one
// answer as received.
std::size_t AnswerBytes(const std::string& path, std::size_t* sections) {
  std::vector<std::string> lines;
  (void)core::LeggiRighe(path, lines);
  const calib::ParsedCalibration file =
      calib::ParseCalibration(lines, calib::Duplicates::kLaterWins);
  std::size_t bytes = 0;
  *sections = 0;
  for (const Bytes& frame : file.frames.frames) {
    bytes += frame.size();
    *sections += frame.empty() ? 0 : 1;
  }
  return bytes;
}

// What the saves measured.
struct SaveFigures {
  std::vector<double> times_us;
  std::vector<double> ratios;
  std::size_t exchanges = 0;
  std::size_t wire_bytes = 0;
};

// Saves the calibration kSaves times, timing each save against the bytes it
// moved; nullptr, or the reason the run cannot go on.
const char* RunSaves(calib::CalibrationEnv& env, link::EcuAccess& ecu, platform::Clock& clock,
                     const std::string& record, const std::string& path, SaveFigures& f) {
  for (int i = 0; i < kSaves; ++i) {
    const std::size_t record_from = FileSize(record);
    const std::int64_t start = clock.NowMicros();
    if (!calib::SaveCalibrationFromEcu(env, ecu, path)) {
      return "a save failed";
    }
    const double took = static_cast<double>(clock.NowMicros() - start);
    std::size_t requests = 0;
    std::size_t sections = 0;
    f.wire_bytes = RequestBytes(record, record_from, &requests) + AnswerBytes(path, &sections);
    if (requests != sections) {
      return "the save's requests and the file's sections do not match";
    }
    f.exchanges = requests;
    const double wire_us = static_cast<double>(f.wire_bytes) * kBitsPerByte * 1e6 / kBaud;
    f.times_us.push_back(took);
    f.ratios.push_back(took / wire_us);
  }
  return nullptr;
}

void Print(SaveFigures& f) {
  std::sort(f.times_us.begin(), f.times_us.end());
  std::sort(f.ratios.begin(), f.ratios.end());
  const double wire_us = static_cast<double>(f.wire_bytes) * kBitsPerByte * 1e6 / kBaud;
  std::printf("saves:                %d full calibrations (%zu exchanges, %zu bytes)\n", kSaves,
              f.exchanges, f.wire_bytes);
  std::printf("wire time:            %.1f ms at %d baud\n", wire_us / 1000, kBaud);
  std::printf("median save:          %.1f ms\n", f.times_us[f.times_us.size() / 2] / 1000);
  std::printf("fastest / slowest:    %.1f / %.1f ms\n", f.times_us.front() / 1000,
              f.times_us.back() / 1000);
  std::printf("median / wire time:   %.3f (target at most 1.15)\n", f.ratios[f.ratios.size() / 2]);
}

}  // namespace

int main() {
  if (std::getenv("VELMORA_STAGE") == nullptr) {
    ::setenv("VELMORA_STAGE", VELMORA_STAGE_DEFAULT, 0);
  }
  e2e::TempRoot root(e2e::SetComValues{{"[AttesaGlobale_usec]", "1000000"}});
  const std::string record = root.Root() + "/requests.txt";
  e2e::Sim sim(root, {"--hw", "nex", "--baud", std::to_string(kBaud), "--record", record});
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
  calib::CalibrationImage image;
  image.SetGeneration(kNewestGeneration);
  calib::SystemDateProvider dates;
  calib::CalibrationEnv env{table, image, bench_link.box, dates, calib::CalibrationTexts{}};
  SaveFigures figures;
  if (const char* failure = RunSaves(env, bench_link.ecu, bench_link.clock, record,
                                     root.Root() + "/bench.xsi", figures)) {
    return Fail(failure);
  }
  bench_link.Close();
  Print(figures);
  return 0;
}
