#pragma once

// A page rig whose message table is the shipped one (entries 1 and 12 as
// the ECU sends them, block 3's rpm factor 1) over an installation root
// with its bin/ and lng/ folders, and answers built with that table.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "acq/synthetic_log.h"
#include "core/files.h"
#include "core/set_com.h"
#include "tests/pages/page_fakes.h"

namespace velmora::acq::test {

inline link::MessageTable ShippedTable() {
  const char* stage = std::getenv("VELMORA_STAGE");
  std::vector<std::string> lines;
  (void)core::LeggiRighe(std::string(stage != nullptr ? stage : "") + "/bin/SetCom.ini", lines);
  link::MessageTable table(core::LeggiSetCom(lines).messages);
  table.SetValue(link::live::kBlock3Index, link::live::kRpmFactorField, 1);
  return table;
}

struct AcqRig : pages::test::PageRig {
  AcqRig() {
    table = ShippedTable();
    std::filesystem::create_directories(paths.bin);
    std::filesystem::create_directories(paths.lng);
  }
  [[nodiscard]] Bytes Live(std::vector<FieldValue> values) const {
    return AnswerFrame(answer_frame::kLiveCommand, answer_frame::kLiveDataBytes, *table.Entry(1),
                       values);
  }
  [[nodiscard]] Bytes Obd(std::vector<FieldValue> values) const {
    return AnswerFrame(answer_frame::kObdCommand, answer_frame::kObdDataBytes, *table.Entry(12),
                       values);
  }
};

}  // namespace velmora::acq::test
