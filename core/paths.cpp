#include "core/paths.h"

#include <algorithm>

namespace velmora::core {

std::string RootFromExecutableDir(std::string_view exe_dir, char sep) {
  if (std::count(exe_dir.begin(), exe_dir.end(), sep) < 2) {
    return {};
  }
  return std::string(exe_dir.substr(0, exe_dir.rfind(sep)));
}

std::string Suffix(std::string_view backslashed, char sep) {
  std::string s(backslashed);
  std::replace(s.begin(), s.end(), '\\', sep);
  return s;
}

PathTable FillPathTable(const std::string& root, char sep) {
  return FillPathTable(root, root, sep);
}

PathTable FillPathTable(const std::string& root, const std::string& user_root, char sep) {
  auto p = [&](std::string_view suffix) { return root + Suffix(suffix, sep); };
  auto u = [&](std::string_view suffix) { return user_root + Suffix(suffix, sep); };
  PathTable t;
  t.root = root;
  t.user_root = user_root;
  t.user_bin = u("\\bin");
  t.port_registry = u("\\bin\\PortReg.ini");
  t.bin = p("\\bin");
  t.lng = p("\\lng");
  t.port_com = u("\\bin\\PortCom.ini");
  t.set_com = p("\\bin\\SetCom.ini");
  t.config_scale = p("\\lng\\ConfigScale.ini");
  t.flash_ini = p("\\bin\\Flash.ini");
  t.fw_nex = p("\\bin\\fw\\Velmora_NexHw.frh");
  t.fw_2nd = p("\\bin\\fw\\Velmora_2ndHw.frh");
  t.fw_3rd = p("\\bin\\fw\\Velmora_3rdHw.frh");
  t.fw_old = p("\\bin\\fw\\Velmora_OldHw.frh");
  t.default_firmware = t.fw_2nd;
  t.osci_setup = u("\\lng\\OsciSetUp.ini");
  t.osci_list = p("\\lng\\OsciList.ini");
  t.about = p("\\lng\\About.rtf");
  t.map_list = p("\\lng\\Map.txt");
  t.tuning_parameters = p("\\lng\\ParaTun.txt");
  t.mem10 = u("\\bin\\MEM10.txt");
  t.tuning_states = {u("\\Tune\\StatoTun.txt"), u("\\Tune\\StatoTun1.txt"),
                     u("\\Tune\\StatoTun2.txt"), u("\\Tune\\StatoTun3.txt"),
                     u("\\Tune\\StatoTun4.txt")};
  t.default_calibration = p("\\lng\\00 Direct Inj Custom.xsi");
  t.up_xsi = u("\\bin\\up.xsi");
  t.data_dir = u("\\Data\\");
  t.manufacturers = u("\\Data\\Costruttori.txt");
  t.logger_tmp = u("\\bin\\Logger.tmp");
  t.ico_dir = p("\\lng\\ico\\");
  t.pdf_dir = p("\\pdf\\");
  t.dictionary = p("\\lng\\diz.diz");
  t.language_choice = u("\\lng\\diz.con");
  t.tune_dir = u("\\Tune");
  t.img_dir = p("\\img\\");
  return t;
}

}  // namespace velmora::core
