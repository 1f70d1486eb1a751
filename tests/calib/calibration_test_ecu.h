#pragma once

// An ECU behind the fake link that holds every block of a calibration: the
// message-table entries of the shipped SetCom.ini (sized by their layouts),
// the three map banks, the "[BLK_5]" record, the axis vectors and the tuning
// tables. It answers reads from its memory, stores writes, and records every
// frame it is sent.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "calib/calibration_env.h"
#include "calib/calibration_file.h"
#include "calib/calibration_image.h"
#include "calib/calibration_sections.h"
#include "core/files.h"
#include "core/hex.h"
#include "core/set_com.h"
#include "link/ecu_access.h"
#include "link/ecu_frame.h"
#include "link/message_table.h"
#include "link/message_table_codec.h"
#include "platform/fake/fakes.h"
#include "tests/core/temp_dir.h"
#include "tests/link/fake_link.h"

namespace velmora::calib::testing {

using link::testing::ChannelRig;
using link::testing::Reply;
using link::testing::Request;

inline core::SetComConfig ShippedSetCom() {
  const char* stage = std::getenv("VELMORA_STAGE");
  std::vector<std::string> lines;
  (void)core::LeggiRighe(std::string(stage != nullptr ? stage : "") + "/bin/SetCom.ini", lines);
  return core::LeggiSetCom(lines);
}

// The data bytes an entry's layout reaches.
inline std::size_t LayoutDataSize(const core::MessageEntry& e) {
  std::int64_t end = 0;
  for (const auto& f : e.fields) {
    const auto type = link::FieldTypeOf(f.type);
    const std::int64_t first = type == link::FieldType::kSL ? f.position : f.position - 1;
    const std::int64_t width = type == link::FieldType::kUB || type == link::FieldType::kSB ? 1
                               : type == link::FieldType::kSL                               ? 4
                                                                                            : 2;
    end = std::max(end, first + width);
  }
  return end > 6 ? static_cast<std::size_t>(end) - 5 : 0;
}

inline std::uint8_t ReadCommandOf(const core::MessageEntry& e) {
  const auto frame = core::HexToBin(e.request_hex);
  return frame && frame->size() > 3 ? (*frame)[3] : 0;
}

// Data byte of a one- or two-byte field (positions count from 1, data from 6).
inline std::size_t DataByteOf(const core::MessageEntry& e, std::size_t field) {
  return static_cast<std::size_t>(e.fields.at(field).position) - 6;
}

class CalibrationEcu {
 public:
  CalibrationEcu(link::testing::FakeLink& link, const core::SetComConfig& config) {
    for (std::size_t i = 0; i < config.messages.size(); ++i) {
      const auto& e = config.messages[i];
      const std::uint8_t read = ReadCommandOf(e);
      Bytes data(LayoutDataSize(e));
      for (std::size_t k = 0; k < data.size(); ++k) {
        data[k] = static_cast<std::uint8_t>(k * 5 + read + 1);
      }
      blocks[read] = data;
      entry_read[i] = read;
    }
    for (const SectionInfo& s : kSections) {
      if (s.holder == Holder::kEntry && s.write_command != 0) {
        write_to_read[s.write_command] = entry_read[static_cast<std::size_t>(s.entry)];
      }
    }
    // Entry 2 field 1 (the sub-state) 0: no toggle routine unless a test asks.
    Block(2).at(1) = 0;
    // Six cylinders in "[BLK_3]" and the connection block.
    Block(3).at(1) = 6;
    const std::size_t cyl = DataByteOf(config.messages.at(5), 6);
    Block(5).at(cyl) = 6;
    Block(5).at(cyl + 1) = 0;
    // Identification: version 03.05, 18/09/2019, then the text.
    Bytes& id = Block(0);
    const Bytes version{0x03, 0x05, 0x18, 0x09, 0x20, 0x19};
    std::copy(version.begin(), version.end(), id.begin());
    for (const auto& [read, write, size] :
         {std::tuple{link::cmd::kReadBank1, link::cmd::kWriteBank1, sizes::kMapImage},
          std::tuple{link::cmd::kReadBank2, link::cmd::kWriteBank2, sizes::kMapImage},
          std::tuple{link::cmd::kReadBank3, link::cmd::kWriteBank3, sizes::kMapImage},
          std::tuple{link::cmd::kReadSpeedAxis, link::cmd::kWriteSpeedAxis, sizes::kRpmAxis},
          std::tuple{link::cmd::kReadTimeAxis, link::cmd::kWriteTimeAxis, sizes::kTimeAxis}}) {
      Bytes m(size);
      for (std::size_t k = 0; k < m.size(); ++k) {
        m[k] = static_cast<std::uint8_t>(k * 3 + read);
      }
      paged[read] = m;
      paged_write[write] = read;
    }
    for (std::size_t k = 0; k < sizes::kCompanion; ++k) {
      blocks[link::cmd::kReadCompanion].push_back(static_cast<std::uint8_t>(0xC0 + k));
    }
    write_to_read[link::cmd::kWriteCompanion] = link::cmd::kReadCompanion;
    for (const std::uint8_t t : {link::cmd::kReadTBenz, link::cmd::kReadTGas,
                                 link::cmd::kReadTRisult, link::cmd::kReadTIsto}) {
      blocks[t] = Bytes(sizes::kTuningTableData, t);
    }
    link.handler = [this](const Request& r) { return Handle(r); };
  }

  Bytes& Block(std::size_t entry) { return blocks[entry_read.at(entry)]; }

  static Bytes Answer(std::uint8_t command, std::span<const std::uint8_t> data) {
    Bytes body{0x00};
    body.insert(body.end(), data.begin(), data.end());
    return link::ComponiFrame(link::kAnswerFirst, link::kAnswerSecond, command, body)
        .value_or(Bytes{});
  }

  std::optional<Bytes> Handle(const Request& r) {
    if (r.type == static_cast<std::uint8_t>(link::MsgType::kSetParameter) && !r.payload.empty()) {
      parameter = r.payload[0];
      parameters.push_back(parameter);
    }
    if (r.type != static_cast<std::uint8_t>(link::MsgType::kEcuFrame)) {
      return Reply(0, {}, 1, parameter);
    }
    frames.push_back(r.payload);
    if (fail_at_frame == static_cast<int>(frames.size())) {
      return std::nullopt;  // silence: the channel times out
    }
    return Reply(6, Respond(r.payload), 1, parameter);
  }

  Bytes Respond(const Bytes& f) {
    if (f.size() < 5) {
      return Answer(0, {});
    }
    const std::uint8_t command = f[3];
    const Bytes data(f.begin() + 4, f.end() - 1);
    if (auto it = paged.find(command); it != paged.end() && data.size() == 3) {
      const std::size_t address = data[0] + data[1] * 256u;
      const std::size_t count = data[2];
      // Only the bytes the ECU holds: a shrunk bank gives short answers.
      Bytes out;
      for (std::size_t k = 0; k < count && address + k < it->second.size(); ++k) {
        out.push_back(it->second[address + k]);
      }
      return Answer(command, out);
    }
    if (auto it = paged_write.find(command); it != paged_write.end() && data.size() >= 3) {
      Bytes& m = paged[it->second];
      const std::size_t address = data[0] + data[1] * 256u;
      for (std::size_t k = 3; k < data.size() && address + k - 3 < m.size(); ++k) {
        m[address + k - 3] = data[k];
      }
      if (corrupt_map_writes && !m.empty()) {
        m[address] ^= 0xFF;
      }
      return Answer(command, {});
    }
    if (auto it = write_to_read.find(command); it != write_to_read.end()) {
      blocks[it->second] = data;
      return Answer(command, {});
    }
    if (command == link::cmd::kResetTRisult && data.size() == sizes::kTuningCells) {
      std::copy(data.begin(), data.end(), blocks[link::cmd::kReadTRisult].begin() + 1);
      return Answer(command, {});
    }
    if (auto it = blocks.find(command); it != blocks.end()) {
      return Answer(command, it->second);
    }
    return Answer(command, {});
  }

  // Command bytes of the frames received, in order.
  std::vector<std::uint8_t> Commands() const {
    std::vector<std::uint8_t> out;
    for (const auto& f : frames) {
      out.push_back(f.size() > 3 ? f[3] : 0);
    }
    return out;
  }

  std::map<std::uint8_t, Bytes> blocks;              // by read command
  std::map<std::uint8_t, Bytes> paged;               // banks and axes, by read command
  std::map<std::uint8_t, std::uint8_t> paged_write;  // write command -> read command
  std::map<std::uint8_t, std::uint8_t> write_to_read;
  std::map<std::size_t, std::uint8_t> entry_read;  // entry -> read command
  std::uint8_t parameter = 0;
  std::vector<int> parameters;  // every message-4 value
  std::vector<Bytes> frames;
  int fail_at_frame = 0;  // 1-based frame that gets no answer
  bool corrupt_map_writes = false;
};

class FixedDate final : public DateProvider {
 public:
  CalendarDate Today() override { return {7, 3, 2024}; }
};

inline constexpr link::LinkTimes kTimes{2'000'000, 500'000, 20};

// A workstation with its message table and image, talking to a CalibrationEcu.
struct CalibrationRig {
  core::SetComConfig config = ShippedSetCom();
  ChannelRig channel;
  CalibrationEcu ecu{channel.link, config};
  link::EcuAccess access{channel.pipe, kTimes};
  link::MessageTable table{config.messages};
  CalibrationImage image;
  FixedDate dates;
  CalibrationEnv env{table, image, channel.box, dates, CalibrationTexts{}};

  explicit CalibrationRig(int generation = 3) { image.SetGeneration(generation); }
};

// A scratch folder removed at the end of the test.
using test::TempDir;

inline std::vector<std::string> FileLines(const std::string& path) {
  std::vector<std::string> lines;
  (void)core::LeggiRighe(path, lines);
  return lines;
}

inline std::string FileText(const std::string& path) {
  std::string s;
  (void)core::ReadWholeFile(path, s);
  return s;
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The value line of a key (first occurrence).
inline std::string LineAfter(const std::vector<std::string>& lines, std::string_view key) {
  return FindSectionLine(lines, key).value_or("<missing>");
}

// Replaces the value line of every occurrence of `key`.
inline std::vector<std::string> WithLine(std::vector<std::string> lines, std::string_view key,
                                         const std::string& value) {
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] == key) {
      lines[i + 1] = value;
    }
  }
  return lines;
}

}  // namespace velmora::calib::testing
