#include "core/config_scale.h"

#include <string_view>

#include "core/key_file.h"
#include "core/text.h"

namespace velmora::core {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// "[InjType_012]" with 3 digits gives 12; nullopt when those are not digits.
std::optional<int> NumberedId(std::string_view line, std::string_view prefix, std::size_t digits) {
  if (!StartsWith(line, prefix) || line.size() < prefix.size() + digits + 1 || line.back() != ']') {
    return std::nullopt;
  }
  const auto id = line.substr(line.size() - 1 - digits, digits);
  for (char c : id) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
  }
  return ParseInt32(id);
}

std::string Text(const std::vector<std::string>& v, std::size_t i) {
  return i < v.size() ? std::string(Trim(v[i])) : std::string();
}

std::int32_t Int(const std::vector<std::string>& v, std::size_t i, std::int32_t fallback,
                 std::vector<std::string>& warnings, std::string_view key) {
  if (i >= v.size()) {
    return fallback;
  }
  if (auto n = ParseInt32(v[i])) {
    return *n;
  }
  warnings.push_back(std::string(key) + ": not a number: \"" + v[i] + "\"");
  return fallback;
}

std::vector<std::int32_t> IntList(std::string_view line) {
  std::vector<std::int32_t> out;
  if (Trim(line).empty()) {
    return out;
  }
  for (const auto& item : Split(line, '|')) {
    if (auto n = ParseInt32(item)) {
      out.push_back(*n);
    }
  }
  return out;
}

std::vector<std::string> TextList(std::string_view line) {
  std::vector<std::string> out;
  for (const auto& item : Split(line, '|')) {
    const auto t = Trim(item);
    if (!t.empty()) {
      out.emplace_back(t);
    }
  }
  return out;
}

// What a key's reader works with: the record being filled, the cursor on
// the key line, the key line itself and, for a numbered key, its identifier.
struct KeyContext {
  ConfigScale& cs;
  KeyFileCursor& cur;
  const std::string& line;
  int id;
  char decimal_sep;

  [[nodiscard]] std::int32_t Int(const std::vector<std::string>& v, std::size_t i,
                                 std::int32_t fallback) const {
    return core::Int(v, i, fallback, cs.warnings, line);
  }
};

// A numbered record of a name and a fixed number of parameters.
template <typename Record>
Record NamedParameters(KeyContext& k) {
  Record r{k.id, {}, {}};
  const auto v = k.cur.TakeKey(1 + r.params.size());
  r.name = Text(v, 0);
  for (std::size_t i = 0; i < r.params.size(); ++i) {
    r.params[i] = k.Int(v, i + 1, 0);
  }
  return r;
}

void ReadInjectorType(KeyContext& k) {
  k.cs.injectors.push_back(NamedParameters<InjectorType>(k));
}

void ReadGasLevel(KeyContext& k) {
  const auto v = k.cur.TakeKey(9);
  GasLevelSensor r{k.id, Text(v, 0), k.Int(v, 1, 0), {}, 0};
  for (std::size_t i = 0; i < r.curve.size(); ++i) {
    r.curve[i] = k.Int(v, i + 2, 0);
  }
  r.last = k.Int(v, 8, 0);
  k.cs.gas_levels.push_back(std::move(r));
}

void ReadLambda(KeyContext& k) {
  k.cs.lambdas.push_back(NamedParameters<LambdaSensor>(k));
}

void ReadTempSensor(KeyContext& k) {
  const auto v = k.cur.TakeKey(2);
  k.cs.temp_sensors.push_back(TempSensor{k.id, Text(v, 0), k.Int(v, 1, 0)});
}

void ReadInjectionSum(KeyContext& k) {
  const auto v = k.cur.TakeKey(1);
  if (v.empty()) {
    return;
  }
  if (auto d = ParseDecimal(v[0], k.decimal_sep)) {
    k.cs.injection_time_sum_us = *d;
  } else {
    k.cs.warnings.push_back(k.line + ": not a number");
  }
}

void ReadTolerances(KeyContext& k) {
  const auto v = k.cur.TakeKey(1);
  k.cs.tolerances.clear();
  if (v.empty() || Trim(v[0]).empty()) {
    return;
  }
  for (const auto& item : Split(v[0], '|')) {
    CorrectionTolerance t;
    const auto parts = Split(item, ',');
    for (std::size_t i = 0; i < t.values.size() && i < parts.size(); ++i) {
      t.values[i] = ParseInt32(parts[i]).value_or(0);
    }
    k.cs.tolerances.push_back(t);
  }
}

void ReadSpark(KeyContext& k) {
  k.cs.spark = k.Int(k.cur.TakeKey(1), 0, k.cs.spark);
}

void ReadMaxBadBit(KeyContext& k) {
  k.cs.max_bad_bit = k.Int(k.cur.TakeKey(1), 0, k.cs.max_bad_bit);
}

void ReadPathDefault(KeyContext& k) {
  const auto v = k.cur.TakeKey(1);
  if (!v.empty()) {
    k.cs.path_default = Text(v, 0);
  }
}

void ReadAscii(KeyContext& k) {
  const auto v = k.cur.TakeKey(3);
  if (v.size() > 0) {
    k.cs.ascii_codes_a = IntList(v[0]);
  }
  if (v.size() > 1) {
    k.cs.ascii_codes_b = IntList(v[1]);
  }
  k.cs.ascii_fallback = k.Int(v, 2, k.cs.ascii_fallback);
}

void ReadThirdGeneration(KeyContext& k) {
  const auto v = k.cur.TakeKey(2);
  if (v.size() > 0) {
    k.cs.gen3_list1 = TextList(v[0]);
  }
  if (v.size() > 1) {
    k.cs.gen3_list2 = TextList(v[1]);
  }
}

void ReadPhaseShiftRange(KeyContext& k) {
  const auto v = k.cur.TakeKey(2);
  k.cs.phase_shift_min = k.Int(v, 0, k.cs.phase_shift_min);
  k.cs.phase_shift_max = k.Int(v, 1, k.cs.phase_shift_max);
}

void ReadEmulationRange(KeyContext& k) {
  const auto v = k.cur.TakeKey(2);
  k.cs.emu_min = k.Int(v, 0, k.cs.emu_min);
  k.cs.emu_max = k.Int(v, 1, k.cs.emu_max);
}

void ReadCustomLabels(KeyContext& k) {
  const auto v = k.cur.TakeUntil("[VisualizzazioneCustomEnd]");
  auto& labels = k.cs.custom_labels;
  labels.clear();
  for (const auto& l : v) {
    if (Trim(l).empty()) {
      continue;
    }
    const auto parts = Split(l, '|');
    std::string b = parts.size() > 1 ? std::string(Trim(parts[1])) : std::string();
    if (b == "NUL") {
      b.clear();
    }
    labels.emplace_back(std::string(Trim(parts[0])), std::move(b));
  }
  if (labels.empty()) {
    labels.emplace_back();
  }
}

// One key of ConfigScale.ini: matched exactly, or, with `id_digits` above 0,
// as a prefix followed by that many digits and "]".
struct KeyReader {
  std::string_view key;
  std::size_t id_digits;
  void (*read)(KeyContext&);
};

constexpr KeyReader kKeyReaders[] = {
    {"[InjType_", 3, ReadInjectorType},
    {"[GasLevel_", 2, ReadGasLevel},
    {"[Lambda_", 2, ReadLambda},
    {"[SensTemp_", 2, ReadTempSensor},
    {"[SommaTempoInj_usec]", 0, ReadInjectionSum},
    {"[Tolleranza correttori]", 0, ReadTolerances},
    {"[SPARK]", 0, ReadSpark},
    {"[MAXBADBIT]", 0, ReadMaxBadBit},
    {"[PathDefault]", 0, ReadPathDefault},
    {"[ASCII]", 0, ReadAscii},
    {"[3rdGen]", 0, ReadThirdGeneration},
    {"[RangeSfasa]", 0, ReadPhaseShiftRange},
    {"[RangeEmu]", 0, ReadEmulationRange},
    {"[VisualizzazioneCustomStart]", 0, ReadCustomLabels},
};

// The reader of a key line and the key's identifier (0 for plain keys).
std::optional<std::pair<const KeyReader*, int>> ReaderOf(std::string_view line) {
  for (const KeyReader& r : kKeyReaders) {
    if (r.id_digits == 0 && line == r.key) {
      return std::pair{&r, 0};
    }
    if (r.id_digits > 0) {
      if (const auto id = NumberedId(line, r.key, r.id_digits)) {
        return std::pair{&r, *id};
      }
    }
  }
  return std::nullopt;
}

}  // namespace

ConfigScale LeggiConfigScale(const std::vector<std::string>& lines, char decimal_sep) {
  ConfigScale cs;
  KeyFileCursor cur(lines);
  while (!cur.Done()) {
    const std::string line = cur.Line();
    const auto reader = ReaderOf(line);
    if (!reader) {
      cur.Next();
      continue;
    }
    KeyContext context{cs, cur, line, reader->second, decimal_sep};
    reader->first->read(context);
  }
  return cs;
}

}  // namespace velmora::core
