// Arbitrary bytes as a configuration or dictionary text: the line reader,
// SetCom.ini, ConfigScale.ini, the dictionary and the language choice must
// accept anything without reading past their input, and a dictionary written
// out reads back to the same text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/config_scale.h"
#include "core/dictionary.h"
#include "core/files.h"
#include "core/set_com.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora::core;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto lines = SplitCrLf(text);
  const auto set_com = LeggiSetCom(lines);
  const auto scale = LeggiConfigScale(lines, ',');
  (void)set_com;
  (void)scale;
  (void)ParseLanguageChoice(text);

  ClsLingue lingue;
  lingue.ParseDizionario(text);
  for (int l = -1; l <= lingue.UboundLingue() + 1; ++l) {
    (void)lingue.NomeLingua(l);
    (void)lingue.CharsetLingua(l);
    for (int v = -1; v <= lingue.UboundVociLingua(l) + 1 && v < 64; ++v) {
      (void)lingue.VoceDizionario(l, v);
    }
  }
  (void)lingue.MarkerOffset("[Frm_Matrix]");
  // The first writing settles blank entries and headers; after it a
  // dictionary reads back to exactly what was written.
  const std::string once = lingue.DictionaryText();
  ClsLingue again;
  again.ParseDizionario(once);
  if (again.DictionaryText() != once || again.UboundLingue() != lingue.UboundLingue()) {
    std::abort();
  }
  return 0;
}
