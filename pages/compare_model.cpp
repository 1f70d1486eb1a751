#include "pages/compare_model.h"

#include <algorithm>

#include "calib/calibration_archive.h"
#include "core/files.h"
#include "core/text_block.h"
#include "pages/archive_texts.h"
#include "pages/shell_texts.h"
#include "session/entry_list_request.h"

namespace velmora::pages {

namespace {

namespace at = archive_text;
namespace request = session::request;
using calib::UnitKind;

constexpr std::array<int, 3> kMapRequests{request::kWriteBank1, request::kWriteBank2,
                                          request::kWriteBank3};

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::size_t LineCount(const calib::UnitDifference& d) {
  return calib::DifferenceLines(d).size();
}

}  // namespace

CompareTexts CompareTextsFrom(const core::ClsLingue& lingue) {
  CompareTexts t;
  const core::TextBlock b(lingue, at::kMarker);
  b.Take(at::kCompareTitle, t.title);
  b.Take(at::kFirstSide, t.sides[0]);
  b.Take(at::kSecondSide, t.sides[1]);
  b.Take(at::kEcuSide, t.ecu);
  b.Take(at::kImageSide, t.image);
  b.Take(at::kOtherFile, t.other_file);
  b.Take(at::kEqual, t.equal);
  b.Take(at::kDifferences, t.differences);
  b.Take(at::kCopyToEcu, t.copy_to_ecu);
  b.Take(at::kCopyToImage, t.copy_to_image);
  b.Take(at::kMapChange, t.map_change);
  b.Take(at::kSection, t.section);
  b.Take(at::kChanges, t.changes);
  const core::TextBlock misc(lingue, misc_text::kMarker);
  misc.Take(misc_text::kReadFailed, t.unreadable);
  misc.Take(misc_text::kCalibrationFiles, t.calibration_files);
  misc.Take(misc_text::kAllFiles, t.all_files);
  core::TextBlock(lingue, main_text::kMarker).Take(main_text::kBusy, t.busy);
  return t;
}

CompareModel::CompareModel(PageEnv& env) : env_(env) {
  CaricaLingua();
}

void CompareModel::CaricaLingua() {
  texts_ = CompareTextsFrom(env_.lingue);
}

void CompareModel::Shown() {
  archive_.clear();
  for (const std::string& name : calib::ListArchive(env_.paths.data_dir)) {
    archive_.push_back(env_.paths.data_dir + name);
  }
  if (!chosen_) {
    // The usual question: what does the ECU hold that the archive does not.
    sides_[0] = archive_.empty() ? Source{} : Source{false, archive_.front()};
    sides_[1] = Source{};
  }
  Compare();
}

void CompareModel::LiveTick() {
  if (awaiting_ != request::kNone && env_.session.PendingRequest() != awaiting_) {
    awaiting_ = request::kNone;
    Compare();
  }
}

std::vector<std::string> CompareModel::SourceItems() const {
  std::vector<std::string> items{env_.session.Connected() ? texts_.ecu : texts_.image};
  for (const auto* list : {&archive_, &others_}) {
    for (const std::string& path : *list) {
      items.push_back(BaseName(path));
    }
  }
  items.push_back(texts_.other_file);
  return items;
}

bool CompareModel::IsOtherFileItem(int item) const {
  return item == static_cast<int>(1 + archive_.size() + others_.size());
}

int CompareModel::Side(int side) const {
  const Source& s = sides_[static_cast<std::size_t>(side)];
  if (s.image) {
    return 0;
  }
  const auto a = std::find(archive_.begin(), archive_.end(), s.path);
  if (a != archive_.end()) {
    return 1 + static_cast<int>(a - archive_.begin());
  }
  const auto o = std::find(others_.begin(), others_.end(), s.path);
  return o == others_.end() ? 0 : 1 + static_cast<int>(archive_.size() + (o - others_.begin()));
}

void CompareModel::ChooseSide(int side, int item) {
  if (side < 0 || side >= kSides || item < 0 || IsOtherFileItem(item)) {
    return;
  }
  const auto i = static_cast<std::size_t>(item);
  Source s;
  if (i > 0 && i <= archive_.size()) {
    s = {false, archive_[i - 1]};
  } else if (i > archive_.size() && i <= archive_.size() + others_.size()) {
    s = {false, others_[i - 1 - archive_.size()]};
  }
  sides_[static_cast<std::size_t>(side)] = s;
  chosen_ = true;
  Compare();
}

void CompareModel::ChooseFile(int side, const std::string& path) {
  if (side < 0 || side >= kSides || path.empty()) {
    return;
  }
  if (std::find(others_.begin(), others_.end(), path) == others_.end() &&
      std::find(archive_.begin(), archive_.end(), path) == archive_.end()) {
    others_.push_back(path);
  }
  sides_[static_cast<std::size_t>(side)] = Source{false, path};
  chosen_ = true;
  Compare();
}

bool CompareModel::Frames(const Source& s, calib::CalibrationFrames& out) const {
  if (s.image) {
    out = calib::ImageFrames(env_.table, env_.image);
    return true;
  }
  std::vector<std::string> lines;
  if (!core::LeggiRighe(s.path, lines)) {
    return false;
  }
  out = calib::ParseCalibration(lines, calib::Duplicates::kLaterWins).frames;
  return true;
}

void CompareModel::Compare() {
  const calib::CompareUnit* was = SelectedUnit();
  calib::CalibrationFrames a;
  calib::CalibrationFrames b;
  selected_ = -1;
  if (!Frames(sides_[0], a) || !Frames(sides_[1], b)) {
    diff_ = {};
    status_ = texts_.unreadable;
    return;
  }
  diff_ = calib::CompareCalibrations(a, b, env_.table);
  const auto units = calib::CompareUnits();
  for (std::size_t r = 0; r < diff_.units.size(); ++r) {
    if (was != nullptr && &units[diff_.units[r].unit] == was) {
      selected_ = static_cast<int>(r);
    }
  }
  status_ = diff_.Equal()
                ? texts_.equal
                : std::to_string(calib::DifferenceLines(diff_).size()) + " " + texts_.differences;
}

std::vector<std::array<std::string, 2>> CompareModel::Rows() const {
  std::vector<std::array<std::string, 2>> rows;
  for (const calib::UnitDifference& d : diff_.units) {
    const std::string title(calib::CompareUnits()[d.unit].title);
    rows.push_back({title, d.presence == calib::Presence::kBoth ? std::to_string(LineCount(d))
                                                                : calib::DifferenceLines(d)[0]});
  }
  return rows;
}

void CompareModel::SelectRow(int row) {
  selected_ = row >= 0 && static_cast<std::size_t>(row) < diff_.units.size() ? row : -1;
}

const calib::CompareUnit* CompareModel::SelectedUnit() const {
  if (selected_ < 0 || static_cast<std::size_t>(selected_) >= diff_.units.size()) {
    return nullptr;
  }
  return &calib::CompareUnits()[diff_.units[static_cast<std::size_t>(selected_)].unit];
}

std::vector<std::string> CompareModel::Lines() const {
  if (selected_ >= 0 && static_cast<std::size_t>(selected_) < diff_.units.size()) {
    return calib::DifferenceLines(diff_.units[static_cast<std::size_t>(selected_)]);
  }
  return calib::DifferenceLines(diff_);
}

std::vector<int> CompareModel::MapChange() const {
  std::vector<int> change(calib::sizes::kMapImage, 0);
  const calib::UnitDifference* shown = nullptr;
  for (std::size_t r = 0; r < diff_.units.size(); ++r) {
    const calib::UnitDifference& d = diff_.units[r];
    const bool map = calib::CompareUnits()[d.unit].kind == UnitKind::kMap &&
                     d.presence == calib::Presence::kBoth;
    if (map && (shown == nullptr || static_cast<int>(r) == selected_)) {
      shown = &d;
    }
  }
  if (shown != nullptr) {
    for (const calib::Change& c : shown->changes) {
      change[c.column * calib::sizes::kMapColumns + c.index] = c.b - c.a;
    }
  }
  return change;
}

int CompareModel::ImageSide() const {
  if (sides_[0].image == sides_[1].image) {
    return -1;
  }
  return sides_[0].image ? 0 : 1;
}

int CompareModel::WriteRequest(const calib::CompareUnit& unit) const {
  switch (unit.kind) {
    case UnitKind::kMap:
      // The adaptive and second banks only on an ECU that has them.
      return unit.map == 0 || env_.image.flags.adaptive_maps
                 ? kMapRequests[static_cast<std::size_t>(unit.map)]
                 : request::kNone;
    case UnitKind::kBytes:
      return unit.sections[0] == calib::Section::kBlk5 ? request::kWriteRecord : request::kAxes;
    case UnitKind::kEntry:
      // The blocks a copy writes through their entry's write list.
      return session::EntryListRequest(static_cast<std::size_t>(unit.entry));
  }
  return request::kNone;
}

bool CompareModel::CanCopy() const {
  const calib::CompareUnit* unit = SelectedUnit();
  const int image_side = ImageSide();
  // A copy's write still pending; one the session dropped has ended too.
  const bool waiting = awaiting_ != request::kNone && env_.session.PendingRequest() == awaiting_;
  if (unit == nullptr || image_side < 0 || waiting || unit->entry == calib::entry::kIdent) {
    return false;
  }
  const calib::Presence only_image =
      image_side == 0 ? calib::Presence::kOnlyA : calib::Presence::kOnlyB;
  if (diff_.units[static_cast<std::size_t>(selected_)].presence == only_image) {
    return false;  // the file has nothing to copy
  }
  return !env_.session.Connected() || WriteRequest(*unit) != request::kNone;
}

const std::string& CompareModel::CopyText() const {
  return env_.session.Connected() ? texts_.copy_to_ecu : texts_.copy_to_image;
}

void CompareModel::CopySelected() {
  if (!CanCopy()) {
    return;
  }
  const calib::CompareUnit& unit = *SelectedUnit();
  calib::CalibrationFrames from;
  if (!Frames(sides_[static_cast<std::size_t>(1 - ImageSide())], from)) {
    status_ = texts_.unreadable;
    return;
  }
  if (!env_.session.Connected()) {
    (void)calib::CopyUnitIntoImage(unit, from, env_.table, env_.image);
    Compare();
    return;
  }
  if (!env_.session.SlotFree()) {
    env_.box.Show(texts_.busy, env_.main_title, platform::BoxKind::Exclamation);
    return;
  }
  CopyToEcu(unit, from, WriteRequest(unit));
}

void CompareModel::CopyToEcu(const calib::CompareUnit& unit, const calib::CalibrationFrames& from,
                             int code) {
  if (unit.kind == UnitKind::kEntry) {
    const core::MessageEntry* layout = env_.table.Entry(static_cast<std::size_t>(unit.entry));
    const Bytes& frame = from[unit.sections[0]];
    const auto entry = static_cast<std::size_t>(unit.entry);
    env_.session.Lists().Clear(entry);
    if (layout != nullptr) {
      for (const calib::CopiedField& v : calib::CopiedFields(*layout, unit.entry, frame)) {
        (void)env_.session.Lists().Append(entry, {v.value, static_cast<std::int32_t>(v.field), 0});
      }
    }
  } else if (!calib::CopyUnitIntoImage(unit, from, env_.table, env_.image)) {
    return;
  }
  if (env_.session.PostRequest(code)) {
    awaiting_ = code;
  }
  // The image side shows what is being written; the session's read-back
  // compares again.
  Compare();
}

}  // namespace velmora::pages
