#include "firmware/update_codes.h"

namespace velmora::firmware {

std::optional<ResultTexts> ResultTextsOf(int code) {
  for (const ResultTexts& r : kResultTexts) {
    if (r.code == code) {
      return r;
    }
  }
  return std::nullopt;
}

std::string ResultMessage(int code, const FirmwareTexts& texts) {
  const auto row = ResultTextsOf(code);
  if (!row) {
    return {};
  }
  if (row->second < 0) {
    return texts[row->first] + "\n";
  }
  return "\n" + texts[row->first] + "\n" + texts[row->second];
}

}  // namespace velmora::firmware
