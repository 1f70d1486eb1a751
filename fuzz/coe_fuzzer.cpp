// Arbitrary bytes as a coefficient file's text. Nothing may read past its
// input, and an accepted record must survive being written out and read
// again unchanged.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "calib/coefficient_file.h"
#include "core/files.h"

namespace {

std::string Join(const auto& values, std::size_t from, std::size_t count, std::size_t stride) {
  constexpr std::size_t kDigits = 12;  // a sign and ten digits of an int32, and the comma
  std::string s;
  s.reserve(count * kDigits);
  char number[kDigits];
  for (std::size_t k = 0; k < count; ++k) {
    if (k > 0) {
      s += ',';
    }
    const auto end = std::to_chars(number, number + kDigits, values[from + k * stride]).ptr;
    s.append(number, end);
  }
  return s;
}

std::vector<std::string> Render(const velmora::calib::CoefficientRecord& r) {
  namespace coe = velmora::calib::coe;
  std::vector<std::string> l{coe::kNote,    r.note,
                             coe::kId,      std::to_string(r.id),
                             coe::kDivFact, std::to_string(r.div_fact),
                             coe::kMRetta,  Join(r.m_retta, 0, coe::kLineEntries, 1),
                             coe::kQRetta,  Join(r.q_retta, 0, coe::kLineEntries, 1),
                             coe::kMMappa};
  for (std::size_t c = 0; c < coe::kColumns; ++c) {
    l.push_back(Join(r.m_mappa, c, coe::kRows, coe::kColumns));
  }
  l.push_back(coe::kQMappa);
  for (std::size_t c = 0; c < coe::kColumns; ++c) {
    l.push_back(Join(r.q_mappa, c, coe::kRows, coe::kColumns));
  }
  return l;
}

bool SameValues(const velmora::calib::CoefficientRecord& a,
                const velmora::calib::CoefficientRecord& b) {
  return a.id == b.id && a.div_fact == b.div_fact && a.m_retta == b.m_retta &&
         a.q_retta == b.q_retta && a.m_mappa == b.m_mappa && a.q_mappa == b.q_mappa;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto rec = calib::ParseCoefficientLines(core::SplitCrLf(text));
  if (rec) {
    // A note that is itself a key line cannot be written back as a note.
    if (!rec->note.empty() && rec->note.front() == '[' && rec->note.back() == ']') {
      return 0;
    }
    const auto again = calib::ParseCoefficientLines(Render(*rec));
    if (!again || !SameValues(*rec, *again)) {
      std::abort();
    }
  }
  return 0;
}
