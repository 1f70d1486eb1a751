#include <gtest/gtest.h>

#include "core/set_com.h"
#include "core/text.h"

namespace velmora::core {
namespace {

TEST(LeggiSetCom, LinkSettingsKeysIgnoreCase) {
  const auto cfg = LeggiSetCom({"[attesapipe_usec]", "15000000", "[ATTESAGLOBALE_USEC]", "500000",
                                "[MolAttesaGlobale]", "20", "[TipoPort]", " 1 "});
  EXPECT_EQ(cfg.pipe_wait_us, 15000000);
  EXPECT_EQ(cfg.global_wait_us, 500000);
  EXPECT_EQ(cfg.global_wait_multiplier, 20);
  EXPECT_EQ(cfg.port_kind, 1);
  EXPECT_TRUE(cfg.warnings.empty());

  EXPECT_EQ(LeggiSetCom({"[TipoPort]", "3"}).port_kind, 2);
  EXPECT_EQ(LeggiSetCom({"[TipoPort]", "0"}).port_kind, 0);
  EXPECT_EQ(LeggiSetCom({"[TipoPort]", ""}).port_kind, 2);
  EXPECT_EQ(LeggiSetCom({}).port_kind, 0);
  // A key at the very end keeps its default; a later occurrence overrides.
  EXPECT_EQ(LeggiSetCom({"[TipoPort]"}).port_kind, 0);
  EXPECT_EQ(
      LeggiSetCom({"[MolAttesaGlobale]", "2", "[MolAttesaGlobale]", "5"}).global_wait_multiplier,
      5);
  // A value that is not wholly a number keeps the default and is reported.
  const auto bad = LeggiSetCom({"[AttesaPipe_usec]", "7.5"});
  EXPECT_EQ(bad.pipe_wait_us, 0);
  EXPECT_EQ(bad.warnings.size(), 1u);
  // Whole-line match: blanks around a key make it another line.
  EXPECT_EQ(LeggiSetCom({" [TipoPort]", "1"}).port_kind, 0);
}

TEST(LeggiSetCom, MessageEntries) {
  const auto cfg = LeggiSetCom({
      "[MSG]", "1", " MEM1 ", "4102032161",  " 1 ", "x", "y", "UB,6,1; SW , 7 ,10;SL,9,1",  //
      "[msg]", "2", "BLK2",   "410203 0D4F", "yes", "",  "",  "UB,6,1;",                    //
      "[MSG]", "3", "BLK3",   "41020E0E4A",  "0",   "",  "",  "",                           //
      "[MSG]", "4", "ERR",    "4102030B4B",  "1",   "",  "",  "UB,6;XX,7,1;UW,a,1;SB,8,1",  //
  });
  ASSERT_EQ(cfg.messages.size(), 4u);
  const auto& m = cfg.messages[0];
  EXPECT_EQ(m.number, 1);
  EXPECT_EQ(m.name, "MEM1");
  EXPECT_EQ(m.request_hex, "4102032161");
  EXPECT_TRUE(m.periodic);
  ASSERT_EQ(m.fields.size(), 3u);
  EXPECT_EQ(m.fields[1].type, "SW");
  EXPECT_EQ(m.fields[1].position, 7);
  EXPECT_EQ(m.fields[1].multiplier, 10);
  EXPECT_EQ(m.values.size(), 3u);

  EXPECT_FALSE(cfg.messages[1].periodic);        // "yes" is not "1"
  EXPECT_EQ(cfg.messages[1].fields.size(), 1u);  // a closing ";" adds no field
  EXPECT_FALSE(cfg.messages[2].periodic);
  EXPECT_TRUE(cfg.messages[2].fields.empty());

  // Malformed items keep their place so that later indexes do not move.
  const auto& e = cfg.messages[3];
  ASSERT_EQ(e.fields.size(), 4u);
  EXPECT_EQ(e.fields[0].type, "");
  EXPECT_EQ(e.fields[1].type, "XX");
  EXPECT_EQ(e.fields[2].type, "");
  EXPECT_EQ(e.fields[3].type, "SB");
  EXPECT_EQ(e.fields[3].position, 8);
  EXPECT_EQ(cfg.warnings.size(), 2u);
}

TEST(LeggiSetCom, TruncatedEntryAtEndOfFile) {
  const auto cfg = LeggiSetCom({"[MSG]", "5", "COLL", "4102033070"});
  ASSERT_EQ(cfg.messages.size(), 1u);
  EXPECT_EQ(cfg.messages[0].number, 5);
  EXPECT_EQ(cfg.messages[0].request_hex, "4102033070");
  EXPECT_TRUE(cfg.messages[0].fields.empty());
  EXPECT_FALSE(cfg.warnings.empty());
}

TEST(LeggiSetCom, FirmwareListsAndModelYear) {
  const std::string digits86(86, '7');
  // The third entry's pattern is not hexadecimal; the fourth is cut short by
  // the next key.
  const auto cfg = LeggiSetCom(
      Split("[FIRMWARE]\n4E4558\n1\n1\n 4102032161 \n Next \n[FIRMWARE]\n00\n5\n0\n//115200,8N1\n\n"
            "[FIRMWARE]\nZZ\n2\n 1\na\nb\n[FIRMWARE]\n01\n7\n2\n[FIRMWAREMOD2017]\n " +
                digits86 + " ",
            '\n'));
  ASSERT_EQ(cfg.firmware1.size(), 2u);
  EXPECT_EQ(cfg.firmware1[0].pattern, (Bytes{0x4E, 0x45, 0x58}));
  EXPECT_EQ(cfg.firmware1[0].kind, 1);
  EXPECT_EQ(cfg.firmware1[0].text1, "4102032161");
  EXPECT_EQ(cfg.firmware1[0].text2, "Next");
  EXPECT_TRUE(cfg.firmware1[1].pattern.empty());  // not hexadecimal
  ASSERT_EQ(cfg.firmware2.size(), 2u);
  EXPECT_EQ(cfg.firmware2[0].text1, "//115200,8N1");
  EXPECT_EQ(cfg.firmware2[1].kind, 7);
  EXPECT_EQ(cfg.firmware_mod2017, digits86);

  EXPECT_EQ(LeggiSetCom({"[FIRMWAREMOD2017]", std::string(85, '1')}).firmware_mod2017, "");
  EXPECT_EQ(LeggiSetCom({"[FIRMWAREMOD2017]", std::string(85, '1') + "x"}).firmware_mod2017, "");
}

}  // namespace
}  // namespace velmora::core
