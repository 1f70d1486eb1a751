#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tuning {

// The values of the parameter file the procedure runs on. Waits and periods
// are milliseconds, times microseconds, tolerances and steps percent.
struct TuningParameters {
  int temp_taratura = 50;
  int rpm_minimi = 200;
  double attesa_minimo_ms = 0;
  int num_campioni_minimo = 0;
  double freq_campioni_minimo_ms = 0;
  int attiva_tutti_cil = 0;
  int rpm_massimo = 0;
  int delta_rpm_max = 0;
  double attesa_massimo_ms = 0;
  int num_campioni_massimo = 0;
  double freq_campioni_massimo_ms = 0;
  double prima_attesa_ms = 0;
  double attesa_corr_inj_ms = 0;
  int num_campioni_corr_inj = 0;
  double freq_campioni_corr_inj_ms = 0;
  int cicli_tolleranza_inj = 0;
  int max_cicli_fuori_inj = 0;
  int tolleranza_inj_pct = 0;
  int step_inj_pct = 0;
  int max_correzione_inj_us = 0;
  int rpm_ritorno_minimo = 0;
  double attesa_ritorno_minimo_ms = 0;
  double attesa_corr_minimo_ms = 0;
  int num_campioni_corr_minimo = 0;
  double freq_campioni_corr_minimo_ms = 0;
  int cicli_tolleranza_minimo = 0;
  int max_cicli_fuori_minimo = 0;
  int tolleranza_minimo_pct = 0;
  int step_minimo_pct = 0;
  int max_correzione_minimo_us = 0;
  int disabilita_centraggio = 0;
  // Read and kept; no step uses them.
  int massima_correzione_us = 0;
  int minima_correzione_us = 0;
  int soglia_rilascio_pct = 0;
  int soglia_secondo_set_pct = 0;
  int soglia_terzo_set_pct = 0;
  int smagrimento_terzo_set_pct = 0;
  int smagrimento_rilascio_pct = 0;

  friend bool operator==(const TuningParameters&, const TuningParameters&) = default;
};

// The outcome of reading the file: the values, or why it cannot be used.
struct ParameterRead {
  TuningParameters values;
  std::string error;  // empty when the file can be used
};

// Reads the CR LF lines over `start` (the values in force before the file).
// A line is split at "=" into key, value and second value; with
// `second_set` the second value wins where a line has one. Keys compare
// exactly; unknown keys and lines without "=" are skipped. A value that is
// not a number of its kind, or a sample count that is missing or not above
// 0 (it divides every average), makes the file unusable.
[[nodiscard]] ParameterRead ReadTuningParameters(const std::vector<std::string>& lines,
                                                 bool second_set, TuningParameters start = {});

// ReadTuningParameters over the file; a file that cannot be read is
// unusable.
[[nodiscard]] ParameterRead ReadTuningParameterFile(const std::string& path, bool second_set,
                                                    TuningParameters start = {});

}  // namespace velmora::tuning
