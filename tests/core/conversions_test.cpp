#include <gtest/gtest.h>

#include "core/hex.h"
#include "core/text.h"

namespace velmora::core {
namespace {

TEST(HexToBin, PairsOddLengthCaseAndInvalidText) {
  EXPECT_EQ(HexToBin("ABC"), (Bytes{0x0A, 0xBC}));
  EXPECT_EQ(HexToBin("4102032161"), (Bytes{0x41, 0x02, 0x03, 0x21, 0x61}));
  EXPECT_EQ(HexToBin("ff0a"), (Bytes{0xFF, 0x0A}));
  EXPECT_EQ(HexToBin(""), Bytes{});
  EXPECT_EQ(HexToBin("F"), Bytes{0x0F});
  // Anything but digits makes the whole text invalid rather than inventing bytes.
  EXPECT_FALSE(HexToBin("41 02").has_value());
  EXPECT_FALSE(HexToBin("4G").has_value());
  EXPECT_FALSE(HexToBin("0x41").has_value());
}

TEST(BinToHex, TwoUpperCaseDigitsPerByte) {
  EXPECT_EQ(BinToHex(Bytes{0x0F}), "0F");
  EXPECT_EQ(BinToHex(Bytes{0x00, 0xAB, 0x10}), "00AB10");
  EXPECT_EQ(BinToHex(Bytes{}), "");
  const Bytes all = [] {
    Bytes b;
    for (int i = 0; i < 256; ++i) {
      b.push_back(static_cast<std::uint8_t>(i));
    }
    return b;
  }();
  EXPECT_EQ(HexToBin(BinToHex(all)), all);
}

TEST(HexToLong, FoldsDigitsWithoutOverflow) {
  EXPECT_EQ(HexToLong("00FFE000"), 0x00FFE000u);
  EXPECT_EQ(HexToLong("FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(HexToLong("123456789"), 0x123456789u);
  EXPECT_EQ(HexToLong("ffffffffffffffff"), 0xFFFFFFFFFFFFFFFFu);
  EXPECT_EQ(HexToLong("1FFFFFFFFFFFFFFFF"), 0xFFFFFFFFFFFFFFFFu);  // saturates
  EXPECT_EQ(HexToLong(""), 0u);
  EXPECT_FALSE(HexToLong("12Z").has_value());
}

TEST(DataVersioneEcu, FormatsSixBytesOnly) {
  EXPECT_EQ(DataVersioneEcu(Bytes{0x03, 0x05, 0x18, 0x09, 0x20, 0x19}), "03.05 - 18/09/2019");
  EXPECT_EQ(DataVersioneEcu(Bytes{0x0A, 0xFF, 0x01, 0x12, 0x20, 0x07}), "0A.FF - 01/12/2007");
  EXPECT_EQ(DataVersioneEcu(Bytes{0x03, 0x05, 0x18}), "00.00 - 00/00/0000");
  EXPECT_EQ(DataVersioneEcu(Bytes(7, 1)), "00.00 - 00/00/0000");
}

TEST(ParseInt32, WholeTextMustBeAnInteger) {
  EXPECT_EQ(ParseInt32(" 7 "), 7);
  EXPECT_EQ(ParseInt32("-128"), -128);
  EXPECT_EQ(ParseInt32("+5"), 5);
  EXPECT_FALSE(ParseInt32("7.5").has_value());
  EXPECT_FALSE(ParseInt32("12a").has_value());
  EXPECT_FALSE(ParseInt32("").has_value());
  EXPECT_FALSE(ParseInt32("  ").has_value());
  EXPECT_FALSE(ParseInt32("99999999999").has_value());
  EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
}

TEST(ParseDecimal, LocaleSeparatorOrPoint) {
  EXPECT_DOUBLE_EQ(ParseDecimal("0,8", ',').value(), 0.8);
  EXPECT_DOUBLE_EQ(ParseDecimal("0.8", ',').value(), 0.8);
  EXPECT_DOUBLE_EQ(ParseDecimal(" -12.25 ", '.').value(), -12.25);
  EXPECT_FALSE(ParseDecimal("1.2.3", '.').has_value());
  EXPECT_FALSE(ParseDecimal("1e5", '.').has_value());
  EXPECT_FALSE(ParseDecimal("-", '.').has_value());
  EXPECT_FALSE(ParseDecimal("", '.').has_value());
  // Read without the C library's locale: a comma locale must not cut "1.28".
  EXPECT_DOUBLE_EQ(ParseDecimal("+1.28", ',').value(), 1.28);
  EXPECT_DOUBLE_EQ(ParseDecimal("5.", '.').value(), 5.0);
  EXPECT_DOUBLE_EQ(ParseDecimal(",5", ',').value(), 0.5);
  EXPECT_FALSE(PlainDecimal("1.2x").has_value());
  EXPECT_FALSE(PlainDecimal(".").has_value());
}

TEST(RoundHalfEven, HalvesGoToEven) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(1e300), 9200000000000000000LL);
}

}  // namespace
}  // namespace velmora::core
