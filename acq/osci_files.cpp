#include "acq/osci_files.h"

#include <algorithm>

#include "core/text.h"

namespace velmora::acq {

namespace of = osci_file;

namespace {

float MultiplierOf(std::string_view divisor) {
  const std::optional<double> d = core::PlainDecimal(core::Trim(divisor));
  // A divisor of 0 would make every value infinite: the variable is shown
  // as it is instead.
  return d && *d != 0.0 ? static_cast<float>(1.0 / *d) : 1.0F;
}

// One setup group's numbers, in file order.
struct SetupGroup {
  std::int32_t channel = 0;
  std::int32_t id = 0;
  bool visible = false;
  std::int32_t colour = 0;
  std::int32_t offset = 0;
  std::int32_t zoom = 0;
};

// The six lines after "[Var]" at `at`; false at the first that is not a
// number (or when the file ends first).
bool ReadGroup(const std::vector<std::string>& lines, std::size_t at, SetupGroup& g) {
  std::array<std::int32_t, of::kSetupGroupLines> n{};
  for (std::size_t k = 0; k < n.size(); ++k) {
    if (at + 1 + k >= lines.size()) {
      return false;
    }
    const std::optional<std::int32_t> v = core::ParseInt32(core::Trim(lines[at + 1 + k]));
    if (!v) {
      return false;
    }
    n[k] = *v;
  }
  g = {n[0], n[1], core::Trim(lines[at + 3]) == of::kVisibleTrue, n[3], n[4], n[5]};
  return true;
}

}  // namespace

std::vector<Variable> ReadVariableList(const std::vector<std::string>& lines) {
  std::vector<Variable> list;
  for (std::size_t i = 0; i + of::kListGroupLines < lines.size(); ++i) {
    if (core::Trim(lines[i]) != of::kGroupKey) {
      continue;
    }
    const std::optional<std::int32_t> id = core::ParseInt32(core::Trim(lines[i + 2]));
    if (!id) {
      continue;
    }
    Variable v;
    for (const std::string& name : core::Split(core::Trim(lines[i + 1]), ',')) {
      v.names.emplace_back(core::Trim(name));
    }
    v.id = *id;
    v.multiplier = MultiplierOf(lines[i + 3]);
    v.text = std::string(core::Trim(lines[i + 4]));
    list.push_back(std::move(v));
    i += of::kListGroupLines;
  }
  return list;
}

void ReadChannelSetup(const std::vector<std::string>& lines, Channels& channels) {
  std::size_t next = 0;
  for (std::size_t i = 0; i < lines.size() && next < channels.size(); ++i) {
    if (core::Trim(lines[i]) != of::kGroupKey) {
      continue;
    }
    SetupGroup g;
    if (!ReadGroup(lines, i, g)) {
      return;
    }
    Channel& c = channels[next++];
    c.variable_id = g.id;
    c.visible = g.visible;
    c.colour = g.colour;
    c.offset = std::clamp(g.offset, 0, logger::kMaxOffset);
    if (g.zoom >= 1) {
      c.zoom = g.zoom;
    }
    i += of::kSetupGroupLines;
  }
}

std::string ChannelSetupText(const Channels& channels) {
  std::string out;
  const auto line = [&out](std::string_view s) {
    out += s;
    out += "\r\n";
  };
  for (const std::string_view h : of::kSetupHeader) {
    line(h);
  }
  line("");
  for (std::size_t k = 0; k < channels.size(); ++k) {
    const Channel& c = channels[k];
    line(of::kGroupKey);
    line(std::to_string(k));
    line(std::to_string(c.variable_id));
    line(c.visible ? of::kVisibleTrue : of::kVisibleFalse);
    line(std::to_string(c.colour));
    line(std::to_string(c.offset));
    line(std::to_string(c.zoom));
    line("");
  }
  return out;
}

const Variable* FindVariable(const std::vector<Variable>& list, std::int32_t id) {
  const auto it =
      std::find_if(list.begin(), list.end(), [id](const Variable& v) { return v.id == id; });
  return it != list.end() ? &*it : nullptr;
}

void ApplyVariables(Channels& channels, const std::vector<Variable>& list, int language) {
  for (Channel& c : channels) {
    if (const Variable* v = FindVariable(list, c.variable_id)) {
      c.scale = v->multiplier;
      c.text = v->text;
      c.name = std::string(NameIn(*v, language));
    }
  }
}

}  // namespace velmora::acq
