// Exchanges of entry-sized ECU frames through the pipe channel, LinkSrv and
// the virtual ECU at 115200 baud: the time per exchange against the time the
// bytes need on the wire. Prints figures; never judges them.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_link.h"
#include "link/ecu_access.h"
#include "link/ecu_frame.h"
#include "platform/fake/fakes.h"
#include "platform/posix/posix_clock.h"
#include "platform/program_failure.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmora;

constexpr int kExchanges = 1000;
constexpr int kWarmUp = 10;
constexpr int kBaud = 115200;
constexpr double kBitsPerByte = 10.0;  // start bit, 8 data bits, stop bit

constexpr velmora::platform::ProgramFailure Fail{"link_bench"};

}  // namespace

int main() {
  if (std::getenv("VELMORA_STAGE") == nullptr) {
    ::setenv("VELMORA_STAGE", VELMORA_STAGE_DEFAULT, 0);
  }
  e2e::TempRoot root(e2e::SetComValues{{"[AttesaGlobale_usec]", "1000000"}});
  e2e::Sim sim(root, {"--hw", "nex", "--baud", std::to_string(kBaud)});
  if (!sim.Ready()) {
    return Fail("the virtual ECU did not start");
  }

  bench::BenchLink bench_link(root.Root());
  if (const char* failure = bench_link.Open(sim.Port())) {
    return Fail(failure);
  }
  link::EcuAccess& ecu = bench_link.ecu;
  platform::PosixClock& clock = bench_link.clock;

  // The live record (0x0C, 120 data bytes) when the virtual ECU knows it,
  // otherwise a tuning table of the same size.
  Bytes frame = link::RequestFrame(link::cmd::kReadLive).value();
  Bytes answer;
  if (ecu.InviaComando(frame, &answer) != link::kOk || answer.size() < 126 || answer[4] != 0) {
    frame = link::RequestFrame(link::cmd::kReadTBenz).value();
  }
  std::vector<double> times_us;
  times_us.reserve(kExchanges);
  std::size_t answer_size = 0;
  for (int i = 0; i < kWarmUp + kExchanges; ++i) {
    const std::int64_t start = clock.NowMicros();
    if (ecu.InviaComando(frame, &answer) != link::kOk) {
      return Fail("an exchange failed");
    }
    const std::int64_t end = clock.NowMicros();
    if (i >= kWarmUp) {
      times_us.push_back(static_cast<double>(end - start));
    }
    answer_size = answer.size();
  }
  bench_link.Close();

  std::sort(times_us.begin(), times_us.end());
  const double median = times_us[times_us.size() / 2];
  const double p90 = times_us[times_us.size() * 9 / 10];
  const double wire_us =
      static_cast<double>(frame.size() + answer_size) * kBitsPerByte * 1e6 / kBaud;
  std::printf("exchanges:            %d of command 0x%02X (%zu request + %zu answer bytes)\n",
              kExchanges, frame[3], frame.size(), answer_size);
  std::printf("wire time:            %.0f us at %d baud\n", wire_us, kBaud);
  std::printf("median per exchange:  %.0f us\n", median);
  std::printf("90th percentile:      %.0f us\n", p90);
  std::printf("fastest / slowest:    %.0f / %.0f us\n", times_us.front(), times_us.back());
  std::printf("median / wire time:   %.3f\n", median / wire_us);
  return 0;
}
