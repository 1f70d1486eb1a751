#include "tuning/autotune_params.h"

#include <array>
#include <variant>

#include "core/files.h"
#include "core/text.h"

namespace velmora::tuning {
namespace {

using P = TuningParameters;

enum class Kind { kWhole, kReal, kByte };

struct Key {
  std::string_view name;
  Kind kind;
  std::variant<int P::*, double P::*> member;
};

constexpr std::array kKeys = {
    Key{"Temp taratura", Kind::kWhole, &P::temp_taratura},
    Key{"Rpm minimi", Kind::kWhole, &P::rpm_minimi},
    Key{"Attesa minimo ms", Kind::kReal, &P::attesa_minimo_ms},
    Key{"Num Campioni minimo", Kind::kWhole, &P::num_campioni_minimo},
    Key{"Freq Campioni minimo ms", Kind::kReal, &P::freq_campioni_minimo_ms},
    Key{"Attiva tutti i Cil", Kind::kByte, &P::attiva_tutti_cil},
    Key{"Rpm Massimo", Kind::kWhole, &P::rpm_massimo},
    Key{"DeltaVisualizzazioneRPMMax", Kind::kWhole, &P::delta_rpm_max},
    Key{"Attesa massimo ms", Kind::kReal, &P::attesa_massimo_ms},
    Key{"Num Campioni massimo", Kind::kWhole, &P::num_campioni_massimo},
    Key{"Freq Campioni massimo ms", Kind::kReal, &P::freq_campioni_massimo_ms},
    Key{"Prima attesa ms", Kind::kReal, &P::prima_attesa_ms},
    Key{"Attesa corr inj ms", Kind::kReal, &P::attesa_corr_inj_ms},
    Key{"Num Campioni corr inj", Kind::kWhole, &P::num_campioni_corr_inj},
    Key{"Freq Campioni corr inj ms", Kind::kReal, &P::freq_campioni_corr_inj_ms},
    Key{"Cicli in tolleranza inj", Kind::kWhole, &P::cicli_tolleranza_inj},
    Key{"Max cicli non in tolleranza inj", Kind::kWhole, &P::max_cicli_fuori_inj},
    Key{"Tolleranza in correzione inj %", Kind::kWhole, &P::tolleranza_inj_pct},
    Key{"Step di Correzione inj %", Kind::kWhole, &P::step_inj_pct},
    Key{"Massima correzione inj us", Kind::kWhole, &P::max_correzione_inj_us},
    Key{"Rpm ritorno minimo", Kind::kWhole, &P::rpm_ritorno_minimo},
    Key{"Attesa ritorno minimo ms", Kind::kReal, &P::attesa_ritorno_minimo_ms},
    Key{"Attesa corr minimo ms", Kind::kReal, &P::attesa_corr_minimo_ms},
    Key{"Num Campioni corr minimo", Kind::kWhole, &P::num_campioni_corr_minimo},
    Key{"Freq Campioni corr minimo ms", Kind::kReal, &P::freq_campioni_corr_minimo_ms},
    Key{"Cicli in tolleranza minimo", Kind::kWhole, &P::cicli_tolleranza_minimo},
    Key{"Max cicli non in tolleranza minimo", Kind::kWhole, &P::max_cicli_fuori_minimo},
    Key{"Tolleranza in correzine minimo %", Kind::kWhole, &P::tolleranza_minimo_pct},
    Key{"Step di Correzione minimo %", Kind::kWhole, &P::step_minimo_pct},
    Key{"Massima correzione minimo us", Kind::kWhole, &P::max_correzione_minimo_us},
    Key{"Disabilita Centraggio Compensazione", Kind::kWhole, &P::disabilita_centraggio},
    Key{"Massima Correzione us", Kind::kWhole, &P::massima_correzione_us},
    Key{"Minima correzione us", Kind::kWhole, &P::minima_correzione_us},
    Key{"Soglia Rilascio %", Kind::kWhole, &P::soglia_rilascio_pct},
    Key{"Soglia Secondo Set %", Kind::kWhole, &P::soglia_secondo_set_pct},
    Key{"Soglia Terzo Set %", Kind::kWhole, &P::soglia_terzo_set_pct},
    Key{"Smagrimento Terzo Set %", Kind::kWhole, &P::smagrimento_terzo_set_pct},
    Key{"Smagrimento Rilascio %", Kind::kWhole, &P::smagrimento_rilascio_pct},
};

constexpr int kByteMax = 255;

const Key* Find(std::string_view name) {
  for (const Key& k : kKeys) {
    if (k.name == name) {
      return &k;
    }
  }
  return nullptr;
}

// Stores the text as the key's kind; false when it is not one.
bool Store(const Key& key, std::string_view text, TuningParameters& p) {
  if (key.kind == Kind::kReal) {
    const std::optional<double> v = core::ParseDecimal(text, '.');
    if (!v) {
      return false;
    }
    p.*std::get<double P::*>(key.member) = *v;
    return true;
  }
  const std::optional<std::int32_t> v = core::ParseInt32(text);
  if (!v || (key.kind == Kind::kByte && (*v < 0 || *v > kByteMax))) {
    return false;
  }
  p.*std::get<int P::*>(key.member) = *v;
  return true;
}

// The counts every average divides by.
std::string MissingCount(const TuningParameters& p) {
  const std::array<std::pair<std::string_view, int>, 4> counts = {{
      {"Num Campioni minimo", p.num_campioni_minimo},
      {"Num Campioni massimo", p.rpm_massimo == 0 ? 1 : p.num_campioni_massimo},
      {"Num Campioni corr inj", p.num_campioni_corr_inj},
      {"Num Campioni corr minimo", p.num_campioni_corr_minimo},
  }};
  for (const auto& [name, count] : counts) {
    if (count <= 0) {
      return std::string(name);
    }
  }
  return {};
}

}  // namespace

ParameterRead ReadTuningParameters(const std::vector<std::string>& lines, bool second_set,
                                   TuningParameters start) {
  ParameterRead read{start, {}};
  for (const std::string& line : lines) {
    const std::vector<std::string> fields = core::Split(line, '=');
    if (fields.size() < 2) {
      continue;
    }
    const Key* key = Find(fields[0]);
    if (key == nullptr) {
      continue;
    }
    // A line without a second value keeps its first under the second set.
    const std::string& value = second_set && fields.size() >= 3 ? fields[2] : fields[1];
    if (!Store(*key, value, read.values) && read.error.empty()) {
      read.error = "\"" + std::string(key->name) + "\" is not a number: " + value;
    }
  }
  if (read.error.empty()) {
    if (const std::string missing = MissingCount(read.values); !missing.empty()) {
      read.error = "\"" + missing + "\" is missing or not above 0";
    }
  }
  return read;
}

ParameterRead ReadTuningParameterFile(const std::string& path, bool second_set,
                                      TuningParameters start) {
  std::vector<std::string> lines;
  if (!core::LeggiRighe(path, lines)) {
    return {start, "cannot be read"};
  }
  return ReadTuningParameters(lines, second_set, start);
}

}  // namespace velmora::tuning
