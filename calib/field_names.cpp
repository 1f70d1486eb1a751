#include "calib/field_names.h"

#include <array>
#include <string_view>

namespace velmora::calib {

namespace {

// Fields first..last (every `step`-th) of an entry share a name; a range
// numbers its fields from `base`, counting by `delta` (down for the
// cylinders of block 3, stored last cylinder first). A single field is a
// range of one and gets no number.
struct NamedFields {
  int entry;
  int first;
  int last;
  std::string_view name;
  int base = 0;
  int step = 1;
  int delta = 1;
};

// The inventory's names of the fields the comparison shows: the
// identification and every block a load writes.
constexpr auto kNames = std::to_array<NamedFields>({
    {0, 0, 0, "firmware version major"},
    {0, 1, 1, "firmware version minor"},
    {0, 2, 2, "firmware date day"},
    {0, 3, 3, "firmware date month"},
    {0, 4, 5, "firmware year byte", 1},
    {0, 6, 37, "identification character", 1},
    {2, 0, 0, "operating state"},
    {2, 1, 1, "operating sub-state"},
    {2, 2, 2, "option bits"},
    {2, 3, 3, "gas running time, hours"},
    {2, 4, 4, "petrol running time, hours"},
    {2, 6, 6, "injector idle correction, us"},
    {2, 7, 7, "hours since last service"},
    {2, 9, 9, "service interval, hours"},
    {2, 10, 10, "gas and service minutes"},
    {2, 11, 11, "petrol minutes"},
    {3, 0, 0, "ignition coils"},
    {3, 1, 1, "cylinders"},
    {3, 2, 2, "switch-over coolant temperature"},
    {3, 3, 3, "switch-over speed period"},
    {3, 4, 4, "injection type"},
    {3, 5, 5, "petrol/gas overlap, ms"},
    {3, 9, 16, "gas output config cylinder", 8, 1, -1},
    {3, 25, 26, "gas-level sensor parameter", 1},
    {3, 27, 32, "level threshold", 1},
    {3, 33, 33, "option bits"},
    {3, 34, 34, "deceleration rpm hysteresis"},
    {3, 35, 35, "switch-over speed period, scaled"},
    {3, 36, 36, "minimum gas injector opening"},
    {3, 37, 37, "forced switch-over time, ms"},
    {3, 38, 38, "lambda probe type"},
    {3, 39, 39, "end-of-gas pressure"},
    {3, 40, 40, "end-of-gas delay"},
    {3, 41, 41, "delay between switching injectors, ms"},
    {3, 42, 42, "rpm signal factor"},
    {3, 43, 43, "automatic warm-up time, s"},
    {3, 44, 44, "spark setting"},
    {3, 45, 45, "gas temperature sensor type"},
    {3, 46, 46, "gas pressure sensor type"},
    {3, 47, 47, "bad-bit threshold"},
    {3, 48, 48, "OBD maximum correction"},
    {3, 49, 49, "status, emergency and spark bits"},
    {3, 50, 50, "OBD minimum difference"},
    {6, 0, 7, "switch-over temperature", 1},
    {6, 8, 15, "switch-over delay, s", 1},
    {7, 0, 28, "breakpoint", 0, 2},
    {7, 1, 29, "correction", 0, 2},
    {7, 31, 31, "pairs in use"},
    {8, 0, 28, "breakpoint", 0, 2},
    {8, 1, 29, "correction", 0, 2},
    {8, 31, 31, "pairs in use"},
    {9, 0, 28, "breakpoint", 0, 2},
    {9, 1, 29, "correction", 0, 2},
    {9, 30, 30, "centred flag"},
    {9, 31, 31, "pairs in use"},
    {11, 0, 11, "rpm axis point", 0},
    {11, 12, 15, "second axis point", 0},
    {11, 16, 63, "emulation cell", 0},
    {11, 64, 64, "activation delay, ms"},
    {11, 65, 65, "level high before the catalyst"},
    {11, 66, 66, "level low before the catalyst"},
    {11, 67, 67, "level high after the catalyst"},
    {11, 68, 68, "level low after the catalyst"},
    {11, 69, 69, "probe 1 signal kind"},
    {11, 70, 70, "probe 2 kind and lambda filter"},
    {12, 0, 0, "OBD ECUs answered"},
    {12, 1, 1, "OBD protocol in use"},
    {12, 2, 2, "car OBD ECU address"},
    {12, 3, 3, "OBD enable"},
    {12, 4, 4, "OBD protocol choice"},
    {12, 5, 5, "bank 2 use"},
    {12, 23, 23, "rail-pressure PID"},
    {12, 24, 24, "OBD run flag"},
    {13, 0, 28, "breakpoint", 0, 2},
    {13, 1, 29, "correction", 0, 2},
    {13, 30, 30, "lean-out on entry"},
    {13, 31, 31, "lean-out on exit"},
    {13, 33, 33, "pairs in use"},
    {14, 0, 0, "OBD management mode"},
    {14, 1, 1, "correction agent"},
    {14, 2, 2, "closed-loop delay, ms"},
    {14, 3, 3, "adaptation hours"},
    {14, 4, 4, "adaptation hours, second word"},
    {14, 7, 7, "adaptation temperature"},
    {14, 30, 44, "row limit", 0},
    {15, 0, 0, "gas injector dead time, us"},
    {15, 1, 1, "maximum duty time"},
    {15, 2, 2, "maximum duty hysteresis"},
    {15, 3, 3, "minimum gas temperature"},
    {15, 4, 4, "minimum temperature hysteresis"},
    {15, 5, 5, "option bits"},
    {15, 6, 13, "gas output of channel", 0},
    {15, 15, 46, "error enable word", 0},
    {15, 47, 47, "system identifier"},
    {15, 66, 74, "auxiliary flags", 0},
    {15, 75, 75, "maximum-power hysteresis, rpm"},
    {15, 76, 76, "maximum-power hysteresis, injection time"},
    {15, 77, 77, "injections for the return to gas"},
    {15, 78, 78, "sequence mode"},
    {15, 79, 86, "reported sequence position channel", 0},
    {15, 87, 87, "rpm sensitivity"},
    {15, 88, 88, "map multiplier"},
    {16, 8, 8, "contribution cycles"},
    {16, 13, 13, "pressure exit threshold"},
    {16, 14, 14, "second injection percent"},
    {16, 25, 25, "rpm cycles"},
    {16, 26, 26, "OBD map divisor"},
    {16, 28, 28, "second injection percent 3"},
    {16, 29, 29, "second injection percent 4"},
    {16, 44, 44, "ABS bits"},
    {17, 0, 28, "breakpoint", 0, 2},
    {17, 1, 29, "correction", 0, 2},
    {17, 31, 31, "pairs in use"},
    {18, 0, 22, "map 2 pressure breakpoint", 0},
    {18, 23, 63, "direct-injection parameter", 1},
    {19, 0, 0, "MIL and OBD block bits"},
    {19, 1, 1, "selective-clear DTC count"},
    {19, 2, 11, "selective-clear DTC", 1},
});

}  // namespace

std::string FieldName(std::size_t entry, std::size_t field) {
  const auto e = static_cast<long long>(entry);
  const auto f = static_cast<long long>(field);
  for (const NamedFields& n : kNames) {
    if (n.entry != e || f < n.first || f > n.last || (f - n.first) % n.step != 0) {
      continue;
    }
    if (n.first == n.last) {
      return std::string(n.name);
    }
    const long long number = n.base + (f - n.first) / n.step * n.delta;
    return std::string(n.name) + " " + std::to_string(number);
  }
  return {};
}

}  // namespace velmora::calib
