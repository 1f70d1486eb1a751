#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "pages/frm_kvx_commutazione.h"
#include "session/request_codes.h"

namespace velmora::pages {

// How a combo box's choice becomes an ECU word.
enum class ComboWrite {
  kNumber,       // the number its item shows
  kForce,        // 0 for the first item, else the item's seconds x 1000
  kBitPosition,  // the bit set for list position 1, cleared for 0
  kPosition,     // the list position
  kOwn,          // a rule of its own (speed, coils, factor, cylinders, ...)
};

// One combo box of the page: where its items come from (a dictionary key
// or the page's own lists), its caption, the word it writes and the
// request that writes it.
struct ComboSpec {
  int combo;
  std::string_view key;  // empty: the page's own list
  int caption;
  ComboWrite write;
  std::size_t entry;
  std::size_t field;
  std::int32_t bit;
  int request;
  std::string_view words;  // the ECU words, as the tooltip names them
};

namespace rq = session::request;

inline constexpr std::array<ComboSpec, sw_combo::kCount> kComboSpecs{{
    {sw_combo::kSwtchRpm, "[Rpm di commutazione]", config_text::kSwitchRpm, ComboWrite::kOwn, 3, 3,
     0, rq::kEntry3List, "3.3, 3.35"},
    {sw_combo::kSwtchIsteresi, "[Isteresi rpm decelerazione]", config_text::kHysteresis,
     ComboWrite::kNumber, 3, 34, 0, rq::kEntry3List, "3.34"},
    {sw_combo::kSwtchTemp, "[Temperatura di commutazione]", config_text::kSwitchTemperature,
     ComboWrite::kOwn, 3, 2, 0, rq::kSwitchTemperature, "3.2, 3.33"},
    {sw_combo::kDefCicliRpm, "[defCicliRpm]", config_text::kRpmCycles, ComboWrite::kNumber, 16, 25,
     0, rq::kEntry16List, "16.25"},
    {sw_combo::kSwtchForce, "[Forza commutazione s]", config_text::kForce, ComboWrite::kForce, 3,
     37, 0, rq::kEntry3List, "3.37"},
    {sw_combo::kSwitchSovrap, "[Tempo di sovrapposizione ms]", config_text::kOverlap,
     ComboWrite::kNumber, 3, 5, 0, rq::kEntry3List, "3.5"},
    {sw_combo::kTempoSeqInj, "[Ritardo commutazione singoli inj ms]", config_text::kSequenceDelay,
     ComboWrite::kNumber, 3, 41, 0, rq::kEntry3List, "3.41"},
    {sw_combo::kNumBobine, "[Num Bobine]", config_text::kCoils, ComboWrite::kOwn, 3, 0, 0,
     rq::kEntry3List, "3.0, 3.3"},
    {sw_combo::kTempoAutoCalda, "[Tempo AutoCalda s]", config_text::kWarmUp, ComboWrite::kNumber, 3,
     43, 0, rq::kEntry3List, "3.43"},
    {sw_combo::kFattorex1x2, "", config_text::kFactor, ComboWrite::kOwn, 3, 42, 0, rq::kEntry3List,
     "3.42, 3.35"},
    {sw_combo::kSogliaTensRpm, "", config_text::kSensitivity, ComboWrite::kPosition, 15, 87, 0,
     rq::kEntry15List, "15.87"},
    {sw_combo::kFiloRpm, "", config_text::kRpmSource, ComboWrite::kBitPosition, 3, 33,
     sw_bit::kRpmWire, rq::kEntry3List, "3.33 bit 1"},
    {sw_combo::kSwitchDir, "", config_text::kDirection, ComboWrite::kBitPosition, 3, 33,
     sw_bit::kDirection, rq::kEntry3List, "3.33 bit 2"},
    {sw_combo::kServizi, "", config_text::kServices, ComboWrite::kBitPosition, 3, 33,
     sw_bit::kServices, rq::kEntry3List, "3.33 bit 8"},
    {sw_combo::kTipoAlim, "", config_text::kFuelType, ComboWrite::kBitPosition, 3, 33,
     sw_bit::kFuelType, rq::kEntry3List, "3.33 bit 32"},
    {sw_combo::kEmergenza, "", config_text::kEmergency, ComboWrite::kBitPosition, 3, 49,
     sw_bit::kEmergency, rq::kEntry3List, "3.49 bit 4"},
    {sw_combo::kSpark, "", config_text::kSpark, ComboWrite::kOwn, 3, 49, sw_bit::kSpark,
     rq::kEntry3List, "3.49 bit 8, 3.44"},
    {sw_combo::kStartStop, "", config_text::kStartStop, ComboWrite::kBitPosition, 15, 5,
     sw_bit::kStartStop, rq::kEntry15List, "15.5 bit 128"},
    {sw_combo::kNumCilindri, "", config_text::kCylinders, ComboWrite::kOwn, 3, 1, 0, rq::kCylinders,
     "3.1, 3.9-3.16, 15.6-15.22"},
    {sw_combo::kConfSistema, "", config_text::kSystem, ComboWrite::kOwn, 15, 47, 0, rq::kLoadAll,
     ""},
    {sw_combo::kConfSistemaId, "", config_text::kSystemId, ComboWrite::kNumber, 15, 47, 0,
     rq::kEntry15List, "15.47"},
    {sw_combo::kTipoInj, "", config_text::kInjectorType, ComboWrite::kOwn, 3, 4, 0,
     rq::kEntry3And15, "3.4, 3.36, 15.0"},
}};

// The check box rows: the entry and word each writes, and its request.
struct CheckSpec {
  std::size_t entry;
  std::size_t field;
  int request;
  int caption;
};
inline constexpr std::array<CheckSpec, sw_check::kRows> kCheckSpecs{{
    {3, 33, rq::kEntry3List, config_text::kWord33},
    {3, 49, rq::kEntry3List, config_text::kWord49},
    {2, 2, rq::kEntry2List, config_text::kBlock2Word},
}};

}  // namespace velmora::pages
