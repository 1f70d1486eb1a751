#include "acq/logger_export.h"

#include <charconv>

namespace velmora::acq {

namespace ef = export_format;

std::string ScaledText(std::int32_t value, float scale) {
  const double v = static_cast<double>(value) * static_cast<double>(scale);
  char text[64];
  const auto r =
      std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, ef::kDecimals);
  std::string s(text, r.ptr);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') {
      s.pop_back();
    }
    if (s.back() == '.') {
      s.pop_back();
    }
  }
  return s == "-0" ? "0" : s;
}

std::string ExportText(const SampleTable& samples, const Channels& channels) {
  std::string out(ef::kTextTimeHeading);
  for (const Channel& c : channels) {
    out += ef::kTextSeparator;
    out += c.name;
  }
  out += ef::kTextObdHeadings;
  out += "\r\n";
  for (std::size_t s = 0; s < samples.Count(); ++s) {
    out += std::to_string(samples.Time(s));
    for (std::size_t c = 0; c < channels.size(); ++c) {
      out += ef::kTextSeparator;
      out += std::to_string(samples.Value(s, c));
    }
    for (std::size_t k = 1; k <= ef::kTextObdColumns; ++k) {
      out += ef::kTextSeparator;
      out += std::to_string(samples.Obd(s, k));
    }
    out += "\r\n";
  }
  return out;
}

namespace {

// A CSV field: quoted when it holds a comma or a quote.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) {
    return text;
  }
  std::string q = "\"";
  for (const char ch : text) {
    q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  }
  return q + "\"";
}

}  // namespace

std::string ExportCsv(const SampleTable& samples, const Channels& channels) {
  std::string out(ef::kCsvTimeHeading);
  for (const Channel& c : channels) {
    out += ',';
    out += CsvField(c.text.empty() ? c.name : c.name + " (" + c.text + ")");
  }
  out += '\n';
  for (std::size_t s = 0; s < samples.Count(); ++s) {
    out += std::to_string(samples.Time(s));
    for (std::size_t c = 0; c < channels.size(); ++c) {
      out += ',';
      out += ScaledText(samples.Value(s, c), channels[c].scale);
    }
    out += '\n';
  }
  return out;
}

}  // namespace velmora::acq
