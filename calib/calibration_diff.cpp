#include "calib/calibration_diff.h"

#include <algorithm>

#include "calib/axis_transfer.h"
#include "calib/calibration_frames.h"
#include "calib/calibration_save.h"
#include "calib/field_names.h"
#include "link/message_table_codec.h"

namespace velmora::calib {

namespace {

using S = Section;
constexpr std::size_t kSingle = 1;
constexpr std::size_t kPair = 2;

constexpr CompareUnit Block(std::string_view title, Section s, int entry) {
  return {title, UnitKind::kEntry, {s}, kSingle, entry, -1};
}

// In file order.
constexpr auto kUnits = std::to_array<CompareUnit>({
    Block("[FW]", S::kFw, entry::kIdent),
    Block("[BLK_2]", S::kBlk2, entry::kBlock2),
    Block("[BLK_3]", S::kBlk3, entry::kBlock3),
    {"[BLK_5]", UnitKind::kBytes, {S::kBlk5}, kSingle},
    Block("[BLK_6]", S::kBlk6, entry::kBlock6),
    Block("[BLK_8]", S::kBlk8, entry::kBlock8),
    {"map 0", UnitKind::kMap, {S::kMap0, S::kMap1, S::kMap2, S::kMap3, S::kMap4}, 5, -1, 0},
    {"map 1", UnitKind::kMap, {S::kAdat0, S::kAdat1, S::kAdat2, S::kAdat3, S::kAdat4}, 5, -1, 1},
    {"map 2", UnitKind::kMap, {S::kMape0, S::kMape1, S::kMape2, S::kMape3, S::kMape4}, 5, -1, 2},
    Block("[RIT_COM]", S::kRitCom, entry::kRitCom),
    Block("[COM_TGASX]", S::kComTgasx, entry::kComTgasx),
    Block("[COM_TRIDX]", S::kComTridx, entry::kComTridx),
    Block("[COM_PGASX]", S::kComPgasx, entry::kComPgasx),
    Block("[COM_PBENX]", S::kComPbenx, entry::kComPbenx),
    Block("[COM_SMAG]", S::kComSmag, entry::kComSmag),
    Block("[EMULA_LAMBDA]", S::kEmulaLambda, entry::kEmulaLambda),
    Block("[OBD_DATA]", S::kObdData, entry::kObdData),
    Block("[OBD_DATA_DAT2]", S::kObdData2, entry::kObdData2),
    {"rpm axis", UnitKind::kBytes, {S::kVetRpm0, S::kVetRpm1}, kPair},
    {"injection-time axis", UnitKind::kBytes, {S::kVetTinj0, S::kVetTinj1}, kPair},
    Block("[BLK_DINST]", S::kBlkDinst, entry::kDirectInjection),
    Block("[OBD_ERR]", S::kObdErr, entry::kObdErrors),
});

struct FieldRange {
  int entry;
  std::size_t first;
  std::size_t last;
};
// The running-time counters of block 2 and the OBD data's live part.
constexpr auto kVolatile = std::to_array<FieldRange>({
    {entry::kBlock2, 3, 4},
    {entry::kBlock2, 7, 7},
    {entry::kBlock2, 10, 11},
    {entry::kObdData, 0, 2},
    {entry::kObdData, 24, 87},
});

constexpr std::string_view kArrow = " \u2192 ";

std::span<const Section> SectionsOf(const CompareUnit& unit) {
  return std::span<const Section>(unit.sections).first(unit.count);
}

bool AnyPresent(const CalibrationFrames& frames, const CompareUnit& unit) {
  const auto s = SectionsOf(unit);
  return std::any_of(s.begin(), s.end(), [&](Section x) { return !frames[x].empty(); });
}

// The frame without its check byte: a field that reaches it is not in the
// block (the identification rebuilt from memory is shorter than the ECU's).
std::span<const std::uint8_t> WithoutCheck(const Bytes& frame) {
  return std::span<const std::uint8_t>(frame).first(frame.empty() ? 0 : frame.size() - 1);
}

void CompareEntry(const Bytes& frame_a, const Bytes& frame_b, const core::MessageEntry& layout,
                  int entry, UnitDifference& out) {
  const auto a = WithoutCheck(frame_a);
  const auto b = WithoutCheck(frame_b);
  for (std::size_t f = 0; f < layout.fields.size(); ++f) {
    const link::DecodedField fa = link::DecodeField(layout.fields[f], a);
    const link::DecodedField fb = link::DecodeField(layout.fields[f], b);
    if (fa.status != link::DecodeStatus::kDecoded || fb.status != link::DecodeStatus::kDecoded ||
        IsVolatileField(entry, f) || fa.value == fb.value) {
      continue;
    }
    out.changes.push_back({f, 0, fa.value, fb.value});
  }
  // The identification rebuilt from memory is shorter than the ECU's answer
  // by design: only the identification itself is compared.
  const std::size_t na = FrameData(frame_a).size();
  const std::size_t nb = FrameData(frame_b).size();
  if (na != nb && entry != entry::kIdent) {
    out.a_size = na;
    out.b_size = nb;
  }
}

void CompareBytes(const Bytes& a, const Bytes& b, bool map, UnitDifference& out) {
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i] == b[i]) {
      continue;
    }
    if (map) {
      out.changes.push_back({i % sizes::kMapColumns, i / sizes::kMapColumns, a[i], b[i]});
    } else {
      out.changes.push_back({i, 0, a[i], b[i]});
    }
  }
  if (a.size() != b.size()) {
    out.a_size = a.size();
    out.b_size = b.size();
  }
}

Bytes UnitBytes(const CalibrationFrames& frames, const CompareUnit& unit) {
  return unit.kind == UnitKind::kMap ? JoinedMap(frames, unit) : JoinedData(frames, unit);
}

std::string EntryLine(int entry, const Change& c) {
  const std::string name = FieldName(static_cast<std::size_t>(entry), c.index);
  return std::to_string(entry) + "." + std::to_string(c.index) + (name.empty() ? "" : " " + name) +
         ":";
}

}  // namespace

std::span<const CompareUnit> CompareUnits() {
  return kUnits;
}

bool IsVolatileField(int entry, std::size_t field) {
  return std::any_of(kVolatile.begin(), kVolatile.end(), [&](const FieldRange& r) {
    return r.entry == entry && field >= r.first && field <= r.last;
  });
}

CalibrationFrames ImageFrames(const link::MessageTable& table, const CalibrationImage& image) {
  CalibrationFrames frames = FramesFromImage(table, image);
  frames[Section::kBlk3] = NormaliseBlock3Frame(std::move(frames[Section::kBlk3]));
  return frames;
}

Bytes JoinedMap(const CalibrationFrames& frames, const CompareUnit& unit) {
  Bytes map = JoinedData(frames, unit);
  return map.size() == sizes::kMapImage ? map : Bytes{};
}

Bytes JoinedData(const CalibrationFrames& frames, const CompareUnit& unit) {
  Bytes out;
  for (const Section s : SectionsOf(unit)) {
    if (!SectionFrameValid(s, frames[s])) {
      return {};
    }
    const Bytes data = FrameData(frames[s]);
    out.insert(out.end(), data.begin(), data.end());
  }
  return out;
}

CalibrationDiff CompareCalibrations(const CalibrationFrames& a, const CalibrationFrames& b,
                                    const link::MessageTable& layouts) {
  CalibrationDiff diff;
  for (std::size_t u = 0; u < kUnits.size(); ++u) {
    const CompareUnit& unit = kUnits[u];
    UnitDifference d;
    d.unit = u;
    const bool in_a = AnyPresent(a, unit);
    const bool in_b = AnyPresent(b, unit);
    if (in_a != in_b) {
      d.presence = in_a ? Presence::kOnlyA : Presence::kOnlyB;
      diff.units.push_back(std::move(d));
      continue;
    }
    if (!in_a) {
      continue;
    }
    if (unit.kind == UnitKind::kEntry) {
      const core::MessageEntry* layout = layouts.Entry(static_cast<std::size_t>(unit.entry));
      if (layout != nullptr) {
        const Section s = unit.sections[0];
        CompareEntry(a[s], b[s], *layout, unit.entry, d);
      }
    } else {
      CompareBytes(UnitBytes(a, unit), UnitBytes(b, unit), unit.kind == UnitKind::kMap, d);
    }
    if (!d.changes.empty() || d.a_size != d.b_size) {
      diff.units.push_back(std::move(d));
    }
  }
  return diff;
}

std::vector<CopiedField> CopiedFields(const core::MessageEntry& layout, int entry,
                                      const Bytes& frame) {
  std::vector<CopiedField> out;
  const auto bytes = WithoutCheck(frame);
  for (std::size_t f = 0; f < layout.fields.size(); ++f) {
    const link::DecodedField d = link::DecodeField(layout.fields[f], bytes);
    if (d.status == link::DecodeStatus::kDecoded && !IsVolatileField(entry, f)) {
      out.push_back({f, d.value});
    }
  }
  return out;
}

bool CopyUnitIntoImage(const CompareUnit& unit, const CalibrationFrames& from,
                       link::MessageTable& table, CalibrationImage& image) {
  if (unit.kind == UnitKind::kEntry) {
    const Bytes& frame = from[unit.sections[0]];
    if (unit.entry == entry::kIdent || frame.empty()) {
      return false;
    }
    const auto e = static_cast<std::size_t>(unit.entry);
    table.SetLastAnswer(e, frame);
    table.DecodificaRisposta(frame, e);
    return true;
  }
  Bytes bytes = UnitBytes(from, unit);
  if (bytes.empty()) {
    return false;
  }
  switch (unit.sections[0]) {
    case Section::kBlk5:
      image.companion = std::move(bytes);
      return true;
    case Section::kVetRpm0:
      image.rpm_axis = std::move(bytes);
      break;
    case Section::kVetTinj0:
      image.time_axis = std::move(bytes);
      break;
    default:
      image.Map(unit.map) = std::move(bytes);
      return true;
  }
  (void)UpdateAxisVectors(image);
  return true;
}

std::vector<std::string> DifferenceLines(const UnitDifference& difference) {
  const CompareUnit& unit = kUnits[difference.unit];
  const std::string title(unit.title);
  if (difference.presence != Presence::kBoth) {
    return {title + (difference.presence == Presence::kOnlyA ? ": only in A" : ": only in B")};
  }
  std::vector<std::string> lines;
  const auto change = [](std::int32_t a, std::int32_t b) {
    return " " + std::to_string(a) + std::string(kArrow) + std::to_string(b);
  };
  for (const Change& c : difference.changes) {
    switch (unit.kind) {
      case UnitKind::kEntry:
        lines.push_back(EntryLine(unit.entry, c) + change(c.a, c.b));
        break;
      case UnitKind::kBytes:
        lines.push_back(title + " byte " + std::to_string(c.index) + ":" + change(c.a, c.b));
        break;
      case UnitKind::kMap:
        lines.push_back(title + " row " + std::to_string(c.index) + " col " +
                        std::to_string(c.column) + ":" + change(c.a, c.b));
        break;
    }
  }
  if (difference.a_size != difference.b_size) {
    const std::string what = unit.kind == UnitKind::kMap ? " bytes:" : " data bytes:";
    lines.push_back(title + what +
                    change(static_cast<std::int32_t>(difference.a_size),
                           static_cast<std::int32_t>(difference.b_size)));
  }
  return lines;
}

std::vector<std::string> DifferenceLines(const CalibrationDiff& diff) {
  std::vector<std::string> lines;
  for (const UnitDifference& d : diff.units) {
    const auto more = DifferenceLines(d);
    lines.insert(lines.end(), more.begin(), more.end());
  }
  return lines;
}

}  // namespace velmora::calib
