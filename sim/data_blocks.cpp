#include <algorithm>
#include <array>
#include <string>

#include "sim/commands.h"
#include "sim/region_commands.h"

namespace velmora::sim {
namespace {

using InitialFn = Bytes (*)(const SimSetup&);

// A record the ECU stores: read with one command, written (when it is) with
// another, and made up as a fitter would leave it.
struct StoredBlock {
  const char* region;
  std::uint8_t read;
  std::uint8_t write;  // kNoWrite: read only
  std::size_t size;
  InitialFn initial;
};

constexpr std::uint8_t kNoWrite = 0;
constexpr std::size_t kPairs = 15;  // breakpoint and correction pairs of a compensation table

std::uint8_t SignedByte(int v) {
  return static_cast<std::uint8_t>(v & 0xFF);
}

void PutWord(Bytes& d, std::size_t at, int v) {
  d[at] = static_cast<std::uint8_t>(v & 0xFF);
  d[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

int Cylinders(const SimSetup& s) {
  return ProfileOf(s.hardware).cylinders;
}

// Switch-over delay over coolant temperature: temperatures, then seconds.
Bytes RitCom(const SimSetup&) {
  return {10, 20, 30, 40, 50, 60, 70, 80, 60, 50, 40, 30, 20, 10, 5, 0};
}

// A one-byte compensation table: 15 (breakpoint, correction) byte pairs,
// a flag and the number of pairs in use.
Bytes BytePairs(int first, int step, int correction_at_first, int correction_step,
                std::size_t extra_before_count) {
  Bytes d;
  for (std::size_t i = 0; i < kPairs; ++i) {
    const int k = static_cast<int>(i);
    d.push_back(SignedByte(first + step * k));
    d.push_back(SignedByte(correction_at_first + (correction_step * k) / 4));
  }
  d.insert(d.end(), extra_before_count, 0);
  d.push_back(static_cast<std::uint8_t>(kPairs));
  return d;
}

// Reducer temperature, degrees C: leaner as it warms.
Bytes ComTridx(const SimSetup&) {
  return BytePairs(0, 9, 3, -1, 1);
}
// Gas temperature from -20 degrees C: cold gas is denser.
Bytes ComTgasx(const SimSetup&) {
  return BytePairs(-20, 10, 4, -1, 1);
}
// Petrol pressure sensor byte.
Bytes ComPbenx(const SimSetup&) {
  return BytePairs(0, 18, 0, 0, 1);
}
// Lean-out over injection time, ms; two acceleration settings before the
// flag and the count.
Bytes ComSmag(const SimSetup&) {
  return BytePairs(2, 2, 0, 0, 3);
}

// Gas pressure, mbar: word breakpoints, byte corrections, centred flag,
// pairs in use.
Bytes ComPgasx(const SimSetup&) {
  Bytes d;
  for (std::size_t i = 0; i < kPairs; ++i) {
    const int mbar = 600 + 100 * static_cast<int>(i);
    d.push_back(static_cast<std::uint8_t>(mbar & 0xFF));
    d.push_back(static_cast<std::uint8_t>(mbar >> 8));
    d.push_back(SignedByte((1150 - mbar) / 100));
  }
  d.push_back(0);
  d.push_back(static_cast<std::uint8_t>(kPairs));
  return d;
}

// Conditions when the stored error was set: speed, load, temperatures.
Bytes FreezeFrame(const SimSetup&) {
  Bytes d(32, 0);
  PutWord(d, 0, 2150);  // rpm
  PutWord(d, 2, 640);   // manifold mbar
  PutWord(d, 4, 4800);  // petrol injection us
  d[6] = 72;            // reducer C
  d[7] = 31;            // gas C
  d[8] = 5;             // error number
  return d;
}

// Lambda emulation: 12 rpm and 4 manifold pressure (mbar) breakpoints, 48
// cells (offset 0 is stored as 127; the two full-load rows hold 0.90 V in
// 19.6 mV steps), delay, the four levels in 19.6 mV steps, probe kinds.
Bytes EmulaLambda(const SimSetup&) {
  Bytes d(88, 0);
  for (int i = 0; i < 12; ++i) {
    PutWord(d, 2 * static_cast<std::size_t>(i), 500 * (i + 1));
  }
  for (int i = 0; i < 4; ++i) {
    PutWord(d, 24 + 2 * static_cast<std::size_t>(i), 400 + 300 * i);
  }
  std::fill(d.begin() + 32, d.begin() + 72, 127);
  std::fill(d.begin() + 72, d.begin() + 80, 46);
  PutWord(d, 80, 2000);
  d[82] = 45;
  d[83] = 4;
  d[84] = 40;
  d[85] = 9;
  d[86] = 0;
  d[87] = 0x31;
  return d;
}

// Second OBD record: mode, correction agent, closed-loop delay, adaptation
// hours (65535: from the first start), adaptation temperature, row limits.
Bytes ObdData2(const SimSetup&) {
  Bytes d(48, 0);
  d[1] = 1;
  PutWord(d, 2, 2000);
  PutWord(d, 4, 0xFFFF);
  d[10] = 60;
  std::fill(d.begin() + 33, d.end(), 25);
  return d;
}

// Block 6: gas injector timing, straight injector sequence, error enables
// for the cylinders present, system identifier.
Bytes Block6(const SimSetup& s) {
  Bytes d(112, 0);
  PutWord(d, 0, 1200);  // gas injector dead time, us
  PutWord(d, 2, 80);    // max-duty time
  PutWord(d, 4, 5);     // max-duty hysteresis
  PutWord(d, 6, 5);     // minimum gas temperature, C
  PutWord(d, 8, 3);     // its hysteresis
  d[10] = 0x02;         // minimum temperature check
  for (std::size_t i = 0; i < 8; ++i) {
    d[11 + i] = static_cast<std::uint8_t>(i);  // channel i drives output i
  }
  for (int i = 0; i < 8; ++i) {
    d[20 + static_cast<std::size_t>(i)] = i < Cylinders(s) ? 3 : 0;
  }
  std::fill(d.begin() + 28, d.begin() + 52, 1);  // the other errors: monitored
  d[52] = 1;                                     // system identifier
  // Auxiliary flags: a calibration load marks every one with bit 7, so a
  // factory ECU carries the mark too.
  std::fill(d.begin() + 85, d.begin() + 94, 0x80);
  PutWord(d, 94, 300);  // max-power hysteresis rpm
  PutWord(d, 96, 500);  // max-power hysteresis injection time
  d[98] = 3;            // injections before returning to gas
  d[99] = 1;            // sequence mode
  for (std::size_t i = 0; i < 8; ++i) {
    d[100 + i] = static_cast<std::uint8_t>(i);
  }
  d[108] = 10;  // rpm signal sensitivity
  d[109] = 1;   // map multiplier
  return d;
}

// Block 8: contribution cycles, exit pressure, second injection, rpm cycles,
// OBD map divider.
Bytes Block8(const SimSetup&) {
  Bytes d(56, 0);
  d[8] = 2;
  d[13] = 40;
  d[14] = 10;
  d[25] = 4;
  d[26] = 1;
  d[28] = 15;
  d[29] = 20;
  return d;
}

// Direct injection: the map-2 pressure axis in sensor bytes, then data.
Bytes DirectInjection(const SimSetup&) {
  Bytes d(64, 0);
  for (std::size_t i = 0; i < 23; ++i) {
    d[i] = static_cast<std::uint8_t>(10 + 10 * i);
  }
  return d;
}

constexpr std::array<StoredBlock, 12> kBlocks = {{
    {"RIT_COM", 0x3C, 0x3D, 16, RitCom},
    {"COM_TRIDX", 0x7A, 0x7B, 32, ComTridx},
    {"COM_TGASX", 0x7C, 0x7D, 32, ComTgasx},
    {"COM_PGASX", 0x7E, 0x7F, 47, ComPgasx},
    {"FREEZE_FRAME", 0x3A, kNoWrite, 32, FreezeFrame},
    {"EMULA_LAMBDA", 0x41, 0x42, 88, EmulaLambda},
    {"COM_SMAG", 0x5D, 0x5E, 34, ComSmag},
    {"OBD_DATA_DAT2", 0x62, 0x63, 48, ObdData2},
    {"BLK6", 0x6E, 0x6F, 112, Block6},
    {"BLK8", 0x74, 0x75, 56, Block8},
    {"COM_PBENX", 0x80, 0x81, 32, ComPbenx},
    {"BLK_DINST", 0x51, 0x52, 64, DirectInjection},
}};

}  // namespace

void RegisterDataBlocks(CommandTable& table, EcuMemory& memory, const SimSetup& setup) {
  for (const StoredBlock& b : kBlocks) {
    const std::string name = b.region;
    Bytes initial = b.initial(setup);
    initial.resize(b.size, 0);
    memory.Define(name, std::move(initial));
    AddWholeRead(table, b.read, name);
    if (b.write != kNoWrite) {
      AddWholeWrite(table, b.write, name);
    }
  }
}

}  // namespace velmora::sim
