#include "core/set_com.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "core/hex.h"
#include "core/key_file.h"
#include "core/text.h"

namespace velmora::core {

namespace {

void ReadInt(const std::vector<std::string>& v, std::int32_t& target, const char* key,
             std::vector<std::string>& warnings) {
  if (v.empty()) {
    return;
  }
  if (auto n = ParseInt32(v[0])) {
    target = *n;
  } else {
    warnings.push_back(std::string(key) + ": not a number: \"" + v[0] + "\"");
  }
}

std::string Item(const std::vector<std::string>& v, std::size_t i) {
  return i < v.size() ? v[i] : std::string();
}

bool AllDigits(std::string_view s) {
  if (s.empty()) {
    return false;
  }
  for (char c : s) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<FieldSpec> ParseFieldList(const std::string& line, std::vector<std::string>* warnings) {
  std::vector<FieldSpec> fields;
  if (Trim(line).empty()) {
    return fields;
  }
  auto items = Split(line, ';');
  // A trailing ";" closes the list rather than adding an empty field.
  if (items.size() > 1 && Trim(items.back()).empty()) {
    items.pop_back();
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto parts = Split(items[i], ',');
    FieldSpec f;
    f.type = std::string(Trim(parts[0]));
    const auto pos = parts.size() > 1 ? ParseInt32(parts[1]) : std::nullopt;
    const auto mul = parts.size() > 2 ? ParseInt32(parts[2]) : std::nullopt;
    if (parts.size() < 3 || !pos || !mul) {
      // Kept as a field so that later indexes do not move; it decodes nothing.
      if (warnings != nullptr) {
        warnings->push_back("malformed field " + std::to_string(i) + ": \"" + items[i] + "\"");
      }
      f.type.clear();
    }
    f.position = pos.value_or(0);
    f.multiplier = mul.value_or(1);
    fields.push_back(std::move(f));
  }
  return fields;
}

namespace {

void ReadPipeWait(KeyFileCursor& cur, SetComConfig& cfg) {
  ReadInt(cur.TakeKey(1), cfg.pipe_wait_us, "[AttesaPipe_usec]", cfg.warnings);
}

void ReadGlobalWait(KeyFileCursor& cur, SetComConfig& cfg) {
  ReadInt(cur.TakeKey(1), cfg.global_wait_us, "[AttesaGlobale_usec]", cfg.warnings);
}

void ReadWaitMultiplier(KeyFileCursor& cur, SetComConfig& cfg) {
  ReadInt(cur.TakeKey(1), cfg.global_wait_multiplier, "[MolAttesaGlobale]", cfg.warnings);
}

void ReadPortKind(KeyFileCursor& cur, SetComConfig& cfg) {
  const auto v = cur.TakeKey(1);
  if (!v.empty()) {
    const auto t = Trim(v[0]);
    cfg.port_kind = t == "0" ? 0 : (t == "1" ? 1 : 2);
  }
}

void ReadMessage(KeyFileCursor& cur, SetComConfig& cfg) {
  const auto v = cur.TakeKey(7);
  const std::string where = "[MSG] " + std::to_string(cfg.messages.size()) + ": ";
  MessageEntry e;
  if (auto n = ParseInt32(Item(v, 0))) {
    e.number = *n;
  } else {
    cfg.warnings.push_back(where + "number is not numeric");
  }
  e.name = std::string(Trim(Item(v, 1)));
  e.request_hex = std::string(Trim(Item(v, 2)));
  e.periodic = Trim(Item(v, 3)) == "1";
  std::vector<std::string> field_warnings;
  e.fields = ParseFieldList(Item(v, 6), &field_warnings);
  for (auto& w : field_warnings) {
    cfg.warnings.push_back(where + w);
  }
  if (v.size() < 7) {
    cfg.warnings.push_back(where + "incomplete at end of file");
  }
  e.values.assign(e.fields.size(), 0);
  cfg.messages.push_back(std::move(e));
}

void ReadFirmware(KeyFileCursor& cur, SetComConfig& cfg) {
  const auto v = cur.TakeKey(5);
  FirmwareEntry f;
  if (auto bytes = HexToBin(Trim(Item(v, 0)))) {
    f.pattern = std::move(*bytes);
  } else {
    cfg.warnings.push_back("[FIRMWARE]: pattern is not hexadecimal");
  }
  f.kind = ParseInt32(Item(v, 1)).value_or(0);
  f.text1 = std::string(Trim(Item(v, 3)));
  f.text2 = std::string(Trim(Item(v, 4)));
  auto& list = Trim(Item(v, 2)) == "1" ? cfg.firmware1 : cfg.firmware2;
  list.push_back(std::move(f));
}

void ReadModelYear(KeyFileCursor& cur, SetComConfig& cfg) {
  const std::string value = Item(cur.TakeKey(1), 0);
  const auto t = Trim(value);
  if (t.size() == 86 && AllDigits(t)) {
    cfg.firmware_mod2017 = std::string(t);
  }
}

struct KeyReader {
  std::string_view key;
  void (*read)(KeyFileCursor&, SetComConfig&);
};

constexpr KeyReader kKeyReaders[] = {
    {"[AttesaPipe_usec]", ReadPipeWait},
    {"[AttesaGlobale_usec]", ReadGlobalWait},
    {"[MolAttesaGlobale]", ReadWaitMultiplier},
    {"[TipoPort]", ReadPortKind},
    {"[MSG]", ReadMessage},
    {"[FIRMWARE]", ReadFirmware},
    {"[FIRMWAREMOD2017]", ReadModelYear},
};

}  // namespace

SetComConfig LeggiSetCom(const std::vector<std::string>& lines) {
  SetComConfig cfg;
  KeyFileCursor cur(lines);
  while (!cur.Done()) {
    const auto reader =
        std::find_if(std::begin(kKeyReaders), std::end(kKeyReaders),
                     [&](const KeyReader& r) { return EqualsNoCase(cur.Line(), r.key); });
    if (reader == std::end(kKeyReaders)) {
      cur.Next();
    } else {
      reader->read(cur, cfg);
    }
  }
  return cfg;
}

}  // namespace velmora::core
