#include "link/ecu_identity.h"

#include <gtest/gtest.h>

#include "core/hex.h"
#include "link/ecu_frame.h"

namespace velmora::link {
namespace {

// An identity answer frame: result byte 0, then `data`.
Bytes Answer(const Bytes& data) {
  Bytes body{0x00};
  body.insert(body.end(), data.begin(), data.end());
  return ComponiFrame(kAnswerFirst, kAnswerSecond, cmd::kIdentify, body).value();
}

// A 68-byte identity answer: version field, 32-character text, 10 serial
// bytes, 14-character hardware signature.
Bytes IdentityAnswer(const Bytes& version, std::string text, std::string signature,
                     std::uint8_t serial = 1) {
  text.resize(32, ' ');
  Bytes data = version;
  data.insert(data.end(), text.begin(), text.end());
  data.insert(data.end(), 10, serial);
  data.insert(data.end(), signature.begin(), signature.end());
  return Answer(data);
}

core::FirmwareEntry Entry(const std::string& pattern_text, int kind) {
  return core::FirmwareEntry{Bytes(pattern_text.begin(), pattern_text.end()), kind, {}, {}};
}

TEST(EcuIdentity, EachKindComparesItsPiece) {
  const Bytes v = {0x03, 0x05, 0x18, 0x09, 0x20, 0x19};
  const Bytes nex = IdentityAnswer(v, "GASECU SEQ NEXHW 8CYL R03", "NEXHW-8CYL-R03");
  const Bytes third = IdentityAnswer(v, "GASECU SEQ 3RDHW 6CYL R02", "3RDHW-6CYL-R02", 7);
  const Bytes second = IdentityAnswer(v, "GASECU SEQ 2NDHW 4CYL R01", "2NDHW-4CYL-R01", 9);
  const Bytes short_blank = core::HexToBin("420104211472").value();
  ASSERT_EQ(nex.size(), 68u);

  const std::vector<core::FirmwareEntry> list = {
      Entry("GASECU SEQ NEXHW 4CYL R03    ", 1),
      Entry("GASECU SEQ NEXHW 8CYL R03    ", 1),
      Entry("3RDHW-6CYL-R02", 2),
      Entry("YL-R01", 3),
      {short_blank, 0, {}, {}},
      {Bytes(6, 0xFF), 3, {}, {}},
  };
  auto m = MatchIdentity(nex, list);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->entry, 2);
  EXPECT_EQ(m->generation, generation::kNex);
  m = MatchIdentity(third, list);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->entry, 3);
  EXPECT_EQ(m->generation, generation::k3rd);
  m = MatchIdentity(second, list);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->entry, 4);
  EXPECT_EQ(m->generation, generation::k2nd);
  m = MatchIdentity(short_blank, list);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->entry, 5);
  EXPECT_EQ(m->generation, generation::kOld);
  // The blank 68-byte answer: FF signature.
  Bytes blank_data(38, 0xFF);
  blank_data.insert(blank_data.end(), 10, 0);
  blank_data.insert(blank_data.end(), 14, 0xFF);
  m = MatchIdentity(Answer(blank_data), list);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->entry, 6);

  // A four-byte pattern compares the first four bytes of the tail.
  const std::vector<core::FirmwareEntry> head = {{Bytes{0x42, 0x01, 0x04, 0x21}, 0, {}, {}}};
  EXPECT_TRUE(MatchIdentity(core::HexToBin("420104211573").value(), head));

  // Too short for any piece: no match, no read past the answer.
  EXPECT_FALSE(MatchIdentity(Bytes{0x42, 0x01, 0x04}, list));
  EXPECT_FALSE(MatchIdentity(Bytes{}, list));
  EXPECT_FALSE(MatchIdentity(nex, {}));
}

TEST(EcuIdentity, IdentificationFieldsAndProfiles) {
  const Bytes v = {0x03, 0x05, 0x18, 0x09, 0x20, 0x19};
  const auto id = ParseIdentification(IdentityAnswer(v, "GASECU SEQ NEXHW", "NEXHW-8CYL-R03"));
  ASSERT_TRUE(id);
  EXPECT_EQ(id->version, v);
  EXPECT_EQ(id->text, "GASECU SEQ NEXHW                ");
  EXPECT_FALSE(ParseIdentification(core::HexToBin("420104211472").value()));

  std::vector<core::FirmwareEntry> profiles(3);
  profiles[0].text1 = "//115200,8N1";
  profiles[1].text1 = "//115200,8N1";
  profiles[2].text1 = "57600,8N1";
  EXPECT_EQ(ProfilesPayload(profiles), "//115200,8N1//57600,8N1");
  EXPECT_EQ(ProfilesPayload({}), "");
}

}  // namespace
}  // namespace velmora::link
