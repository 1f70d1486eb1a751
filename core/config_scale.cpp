#include "core/config_scale.h"

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

}  // namespace

ConfigScale LeggiConfigScale(const std::vector<std::string>& lines, char decimal_sep) {
  ConfigScale cs;
  auto& w = cs.warnings;
  KeyFileCursor cur(lines);
  while (!cur.Done()) {
    const std::string line = cur.Line();
    if (auto id = NumberedId(line, "[InjType_", 3)) {
      const auto v = cur.TakeKey(8);
      InjectorType r;
      r.id = *id;
      r.name = Text(v, 0);
      for (std::size_t k = 0; k < r.params.size(); ++k) {
        r.params[k] = Int(v, k + 1, 0, w, line);
      }
      cs.injectors.push_back(std::move(r));
    } else if (auto gid = NumberedId(line, "[GasLevel_", 2)) {
      const auto v = cur.TakeKey(9);
      GasLevelSensor r;
      r.id = *gid;
      r.name = Text(v, 0);
      r.first = Int(v, 1, 0, w, line);
      for (std::size_t k = 0; k < r.curve.size(); ++k) {
        r.curve[k] = Int(v, k + 2, 0, w, line);
      }
      r.last = Int(v, 8, 0, w, line);
      cs.gas_levels.push_back(std::move(r));
    } else if (auto lid = NumberedId(line, "[Lambda_", 2)) {
      const auto v = cur.TakeKey(7);
      LambdaSensor r;
      r.id = *lid;
      r.name = Text(v, 0);
      for (std::size_t k = 0; k < r.params.size(); ++k) {
        r.params[k] = Int(v, k + 1, 0, w, line);
      }
      cs.lambdas.push_back(std::move(r));
    } else if (auto tid = NumberedId(line, "[SensTemp_", 2)) {
      const auto v = cur.TakeKey(2);
      TempSensor r;
      r.id = *tid;
      r.name = Text(v, 0);
      r.value = Int(v, 1, 0, w, line);
      cs.temp_sensors.push_back(std::move(r));
    } else if (line == "[SommaTempoInj_usec]") {
      const auto v = cur.TakeKey(1);
      if (!v.empty()) {
        if (auto d = ParseDecimal(v[0], decimal_sep)) {
          cs.somma_tempo_inj_usec = *d;
        } else {
          w.push_back("[SommaTempoInj_usec]: not a number");
        }
      }
    } else if (line == "[Tolleranza correttori]") {
      const auto v = cur.TakeKey(1);
      cs.tolerances.clear();
      if (!v.empty() && !Trim(v[0]).empty()) {
        for (const auto& item : Split(v[0], '|')) {
          CorrectionTolerance t;
          const auto parts = Split(item, ',');
          for (std::size_t k = 0; k < t.values.size() && k < parts.size(); ++k) {
            t.values[k] = ParseInt32(parts[k]).value_or(0);
          }
          cs.tolerances.push_back(t);
        }
      }
    } else if (line == "[SPARK]") {
      cs.spark = Int(cur.TakeKey(1), 0, cs.spark, w, line);
    } else if (line == "[MAXBADBIT]") {
      cs.max_bad_bit = Int(cur.TakeKey(1), 0, cs.max_bad_bit, w, line);
    } else if (line == "[PathDefault]") {
      const auto v = cur.TakeKey(1);
      if (!v.empty()) {
        cs.path_default = Text(v, 0);
      }
    } else if (line == "[ASCII]") {
      const auto v = cur.TakeKey(3);
      if (v.size() > 0) {
        cs.ascii_codes_a = IntList(v[0]);
      }
      if (v.size() > 1) {
        cs.ascii_codes_b = IntList(v[1]);
      }
      cs.ascii_fallback = Int(v, 2, cs.ascii_fallback, w, line);
    } else if (line == "[3rdGen]") {
      const auto v = cur.TakeKey(2);
      if (v.size() > 0) {
        cs.gen3_list1 = TextList(v[0]);
      }
      if (v.size() > 1) {
        cs.gen3_list2 = TextList(v[1]);
      }
    } else if (line == "[RangeSfasa]") {
      const auto v = cur.TakeKey(2);
      cs.sfasa_min = Int(v, 0, cs.sfasa_min, w, line);
      cs.sfasa_max = Int(v, 1, cs.sfasa_max, w, line);
    } else if (line == "[RangeEmu]") {
      const auto v = cur.TakeKey(2);
      cs.emu_min = Int(v, 0, cs.emu_min, w, line);
      cs.emu_max = Int(v, 1, cs.emu_max, w, line);
    } else if (line == "[VisualizzazioneCustomStart]") {
      const auto v = cur.TakeUntil("[VisualizzazioneCustomEnd]");
      cs.custom_labels.clear();
      for (const auto& l : v) {
        if (Trim(l).empty()) {
          continue;
        }
        const auto parts = Split(l, '|');
        std::string a(Trim(parts[0]));
        std::string b = parts.size() > 1 ? std::string(Trim(parts[1])) : std::string();
        if (b == "NUL") {
          b.clear();
        }
        cs.custom_labels.emplace_back(std::move(a), std::move(b));
      }
      if (cs.custom_labels.empty()) {
        cs.custom_labels.emplace_back();
      }
    } else {
      cur.Next();
    }
  }
  return cs;
}

}  // namespace velmora::core
