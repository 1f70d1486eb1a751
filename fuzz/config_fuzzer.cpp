// Arbitrary bytes as a configuration or dictionary file: the line reader, the
// bracket-key reader, SetCom.ini, ConfigScale.ini and the dictionary loader
// must accept anything without reading past their input.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/config_scale.h"
#include "core/dictionary.h"
#include "core/files.h"
#include "core/set_com.h"

namespace {

std::string ScratchDir() {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/velmora-fuzz-XXXXXX";
    const char* d = ::mkdtemp(tmpl);
    return std::string(d != nullptr ? d : "/tmp");
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora::core;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto lines = SplitCrLf(text);
  const auto set_com = LeggiSetCom(lines);
  const auto scale = LeggiConfigScale(lines, ',');
  (void)set_com;
  (void)scale;

  const std::string dir = ScratchDir();
  const std::string diz = dir + "/diz.diz";
  const std::string con = dir + "/diz.con";
  if (!WriteFileAtomic(diz, text)) {
    return 0;
  }
  // The first line doubles as the language choice file.
  (void)WriteFileAtomic(con, lines.empty() ? std::string() : lines.front());
  ClsLingue lingue;
  lingue.SetPathDizionario(diz);
  lingue.SetPathAttualeLingua(con);
  lingue.LoadDizionario();
  for (int l = -1; l <= lingue.UboundLingue() + 1; ++l) {
    (void)lingue.NomeLingua(l);
    (void)lingue.CharsetLingua(l);
    for (int v = -1; v <= lingue.UboundVociLingua(l) + 1 && v < 64; ++v) {
      (void)lingue.VoceDizionario(l, v);
    }
  }
  (void)lingue.MarkerOffset("[Frm_Matrix]");
  (void)lingue.SaveDizionario();
  lingue.LoadDizionario();
  return 0;
}
