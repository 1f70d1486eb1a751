#pragma once

// The page rig with a dictionary of the configuration pages' lists and the
// probe and level-sensor records of an installation.

#include <string>

#include "tests/pages/page_fakes.h"

namespace velmora::pages::test {

inline constexpr const char* kConfigLists =
    "[Frm_ConfLambda]\r\nLambda\r\n"
    "[Ritardo attivazione Emulaz s]\r\n0 s|2 s|5 s\r\n"
    "[Filtro lambda]\r\n1|2|3|4\r\n"
    "[Pressione di fine gas bar]\r\n0.5 bar|0,8 bar|1.0 bar\r\n"
    "[Tempo di fine gas ms]\r\n1 s|2 s\r\n"
    "[Tipo sensore pressione]\r\nStandard|Turbo\r\n"
    "[CmbMinTempGas]\r\nNo minimum|-20 C|-15 C|10 C\r\n"
    "[CmbDeltaMinTempGas]\r\n1 C|3 C\r\n"
    "[TMORTOINJ]\r\n1.2 ms|1.6 ms|9 ms\r\n"
    "[Piedistallo Tempo Inj minimo us]\r\n1.5 ms|2 ms\r\n"
    "[RPMperMinPower]\r\n800 rpm|1000 rpm\r\n"
    "[RPMperMaxPower]\r\n3000 rpm|4000 rpm\r\n"
    "[CONTRIBUTO]\r\n1.0 ms|2.0 ms\r\n"
    "[DECONTRIBUTOFACTOR]\r\n1 cycle|2 cycles\r\n";

struct ConfigRig {
  ConfigRig() {
    rig.scale.lambdas = {{1, "Zirconia 0-1 V", {0, 450, 900, 100, 800, 200}},
                         {2, "Zirconia heated", {0, 450, 850, 150, 800, 200}},
                         {3, "Titania", {2, 2500, 4500, 500, 800, 200}},
                         {4, "Offset 0.8-1.6 V", {1, 1200, 1500, 900, 1400, 1000}},
                         {5, "Wide band", {3, 0, 0, 0, 800, 200}}};
    rig.scale.gas_levels = {{1, "Resistive", 0, {20, 58, 96, 134, 172, 210}, 4},
                            {2, "Hall", 2, {25, 65, 105, 145, 185, 225}, 6}};
  }
  PageRig rig;
  TestDictionary dictionary{kConfigLists};
  PageEnv env{rig.image,         rig.table, rig.session,  rig.window, rig.box,   rig.clock,
              dictionary.lingue, rig.paths, rig.requests, nullptr,    "Velmora", &rig.scale};
  // The records each write list holds, as {value, field, mode}.
  [[nodiscard]] const std::vector<session::WriteRecord>& List(std::size_t entry) const {
    return rig.session.lists.Of(entry);
  }
};

}  // namespace velmora::pages::test
