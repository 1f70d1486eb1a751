#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/bytes.h"

namespace velmora::core {

// One decoded field of a message-table entry: "UB", "SB", "UW", "SW", "SL".
struct FieldSpec {
  std::string type;
  std::int32_t position = 0;
  std::int32_t multiplier = 1;
};

// One "[MSG]" entry: an ECU request and the layout of its answer.
struct MessageEntry {
  std::int32_t number = 0;
  std::string name;
  std::string request_hex;  // the complete request frame, check byte included
  bool periodic = false;
  std::vector<FieldSpec> fields;
  std::vector<std::int32_t> values;  // one per field
  Bytes last_answer;
};

// One "[FIRMWARE]" entry. In the first list `kind` is the comparison kind;
// in the second list it is a number kept with the entry.
struct FirmwareEntry {
  Bytes pattern;
  std::int32_t kind = 0;
  std::string text1;  // fourth line after the key
  std::string text2;  // fifth line after the key
};

struct SetComConfig {
  std::int32_t pipe_wait_us = 0;
  std::int32_t global_wait_us = 0;
  std::int32_t global_wait_multiplier = 0;
  int port_kind = 0;
  std::vector<MessageEntry> messages;
  std::vector<FirmwareEntry> firmware1;  // identification patterns
  std::vector<FirmwareEntry> firmware2;  // connection profiles
  std::string firmware_mod2017;
  // Layout problems found while reading: logged, never shown as a box.
  std::vector<std::string> warnings;
};

// Link settings, message table and firmware lists. Keys match the whole
// line regardless of case.
[[nodiscard]] SetComConfig LeggiSetCom(const std::vector<std::string>& lines);

// The field list of a "[MSG]" line 7: "TYPE,pos,mult;TYPE,pos,mult;...".
[[nodiscard]] std::vector<FieldSpec> ParseFieldList(const std::string& line,
                                                    std::vector<std::string>* warnings);

}  // namespace velmora::core
