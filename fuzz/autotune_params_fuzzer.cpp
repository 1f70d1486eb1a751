// Arbitrary text as the auto-tuning parameter file (ParaTun.txt), read with
// and without the second set. Properties:
// - the byte parameter stays within a byte, real values are finite;
// - a file that can be used has every sample count above 0 (the raised
//   speed's only when that phase runs);
// - reading the file again over what it gave changes nothing;
// - without a line holding a second value, both sets read the same;
// - usable values written out one per line read back to the same values.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "core/files.h"
#include "fuzz/fuzz_check.h"
#include "tuning/autotune_params.h"

namespace {

using velmora::fuzz::Check;
using velmora::tuning::ParameterRead;
using velmora::tuning::ReadTuningParameters;
using P = velmora::tuning::TuningParameters;

struct Key {
  std::string_view name;
  std::variant<int P::*, double P::*> member;
};

// Every key of the file, as the fitter's documentation names it.
constexpr Key kKeys[] = {
    {"Temp taratura", &P::temp_taratura},
    {"Rpm minimi", &P::rpm_minimi},
    {"Attesa minimo ms", &P::attesa_minimo_ms},
    {"Num Campioni minimo", &P::num_campioni_minimo},
    {"Freq Campioni minimo ms", &P::freq_campioni_minimo_ms},
    {"Attiva tutti i Cil", &P::attiva_tutti_cil},
    {"Rpm Massimo", &P::rpm_massimo},
    {"DeltaVisualizzazioneRPMMax", &P::delta_rpm_max},
    {"Attesa massimo ms", &P::attesa_massimo_ms},
    {"Num Campioni massimo", &P::num_campioni_massimo},
    {"Freq Campioni massimo ms", &P::freq_campioni_massimo_ms},
    {"Prima attesa ms", &P::prima_attesa_ms},
    {"Attesa corr inj ms", &P::attesa_corr_inj_ms},
    {"Num Campioni corr inj", &P::num_campioni_corr_inj},
    {"Freq Campioni corr inj ms", &P::freq_campioni_corr_inj_ms},
    {"Cicli in tolleranza inj", &P::cicli_tolleranza_inj},
    {"Max cicli non in tolleranza inj", &P::max_cicli_fuori_inj},
    {"Tolleranza in correzione inj %", &P::tolleranza_inj_pct},
    {"Step di Correzione inj %", &P::step_inj_pct},
    {"Massima correzione inj us", &P::max_correzione_inj_us},
    {"Rpm ritorno minimo", &P::rpm_ritorno_minimo},
    {"Attesa ritorno minimo ms", &P::attesa_ritorno_minimo_ms},
    {"Attesa corr minimo ms", &P::attesa_corr_minimo_ms},
    {"Num Campioni corr minimo", &P::num_campioni_corr_minimo},
    {"Freq Campioni corr minimo ms", &P::freq_campioni_corr_minimo_ms},
    {"Cicli in tolleranza minimo", &P::cicli_tolleranza_minimo},
    {"Max cicli non in tolleranza minimo", &P::max_cicli_fuori_minimo},
    {"Tolleranza in correzine minimo %", &P::tolleranza_minimo_pct},
    {"Step di Correzione minimo %", &P::step_minimo_pct},
    {"Massima correzione minimo us", &P::max_correzione_minimo_us},
    {"Disabilita Centraggio Compensazione", &P::disabilita_centraggio},
    {"Massima Correzione us", &P::massima_correzione_us},
    {"Minima correzione us", &P::minima_correzione_us},
    {"Soglia Rilascio %", &P::soglia_rilascio_pct},
    {"Soglia Secondo Set %", &P::soglia_secondo_set_pct},
    {"Soglia Terzo Set %", &P::soglia_terzo_set_pct},
    {"Smagrimento Terzo Set %", &P::smagrimento_terzo_set_pct},
    {"Smagrimento Rilascio %", &P::smagrimento_rilascio_pct},
};

// One "key=value" line per key; reals in plain decimals (the file knows no
// exponent), as many digits as give the same number back.
std::string Written(const P& p) {
  std::string text;
  char number[400];  // the longest plain decimal of a double, with room to spare
  for (const Key& k : kKeys) {
    const auto end =
        std::holds_alternative<int P::*>(k.member)
            ? std::to_chars(number, std::end(number), p.*std::get<int P::*>(k.member))
            : std::to_chars(number, std::end(number), p.*std::get<double P::*>(k.member),
                            std::chars_format::fixed);
    Check(end.ec == std::errc());
    text.append(k.name).append("=").append(number, end.ptr).append("\r\n");
  }
  return text;
}

void CheckRead(const std::vector<std::string>& lines, bool second_set, const ParameterRead& read) {
  const P& v = read.values;
  Check(v.attiva_tutti_cil >= 0 && v.attiva_tutti_cil <= 255);
  for (const Key& k : kKeys) {
    if (std::holds_alternative<double P::*>(k.member)) {
      Check(std::isfinite(v.*std::get<double P::*>(k.member)));
    }
  }
  const ParameterRead again = ReadTuningParameters(lines, second_set, v);
  Check(again.values == v && again.error == read.error);
  if (!read.error.empty()) {
    return;
  }
  Check(v.num_campioni_minimo > 0 && v.num_campioni_corr_inj > 0 && v.num_campioni_corr_minimo > 0);
  Check(v.rpm_massimo == 0 || v.num_campioni_massimo > 0);
  const ParameterRead back = ReadTuningParameters(velmora::core::SplitCrLf(Written(v)), false);
  Check(back.error.empty() && back.values == v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = velmora::fuzz::TextOf(data, size);
  const std::vector<std::string> lines = velmora::core::SplitCrLf(text);
  const ParameterRead first = ReadTuningParameters(lines, false);
  const ParameterRead second = ReadTuningParameters(lines, true);
  CheckRead(lines, false, first);
  CheckRead(lines, true, second);
  bool second_values = false;
  for (const std::string& line : lines) {
    const auto at = line.find('=');
    second_values =
        second_values || (at != std::string::npos && line.find('=', at + 1) != std::string::npos);
  }
  if (!second_values) {
    Check(first.values == second.values && first.error == second.error);
  }
  return 0;
}
