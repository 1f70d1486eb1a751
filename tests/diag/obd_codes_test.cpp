#include <gtest/gtest.h>

#include <vector>

#include "diag/diag_text.h"
#include "diag/error_catalogue.h"
#include "diag/mod_nex_obd.h"
#include "diag/obd_map_file.h"

namespace velmora::diag {
namespace {

TEST(ModNexObd, TroubleCodesBothWays) {
  EXPECT_EQ(DtcText(0x03, 0x01), "P0301");
  EXPECT_EQ(DtcText(0xC1, 0x23), "U0123");
  EXPECT_EQ(DtcText(0x7F, 0xFF), "C3FFF");
  EXPECT_EQ(DtcFromText("p0420"), 0x0420);
  EXPECT_EQ(DtcFromText("U0123"), 0xC123);
  for (const char* bad : {"P4000", "X0100", "P042", "P04200", "P0G20", ""}) {
    EXPECT_FALSE(DtcFromText(bad)) << bad;
  }
}

TEST(ModNexObd, ProtocolsAndTrims) {
  EXPECT_EQ(NextProtocol(2), 3);
  EXPECT_EQ(NextProtocol(8), 1);
  EXPECT_EQ(NextProtocol(11), 4);
  EXPECT_EQ(ProtocolName(6), "CAN STD500");
  EXPECT_EQ(ProtocolName(12), "");
  EXPECT_EQ(TrimPercent(0), -100);
  EXPECT_EQ(TrimPercent(255), 99);
  EXPECT_EQ(TrimPercent(128), 0);
  EXPECT_EQ(TrimPercent(127), -1);  // -0.78 taken downwards
}

// The protocols a family tries when none answers, and where an answer or a
// short reply stops it.
TEST(ModNexObd, ProtocolSearchOrder) {
  const auto tried = [](int family, int answering, std::size_t short_at = 99) {
    std::vector<int> seen;
    const auto found = SearchProtocol(family, [&](int p) -> std::optional<Bytes> {
      seen.push_back(p);
      if (seen.size() == short_at) {
        return Bytes(8, 0);
      }
      Bytes answer(9, 0xFF);
      if (p == answering) {
        answer[6] = 0x01;
      }
      return answer;
    });
    seen.push_back(found.value_or(0));
    return seen;
  };
  EXPECT_EQ(tried(search_family::kCan, 0), (std::vector<int>{4, 5, 6, 7, 8, 0}));
  EXPECT_EQ(tried(search_family::kKLine, 0), (std::vector<int>{1, 3, 0}));
  EXPECT_EQ(tried(search_family::kAny, 0), (std::vector<int>{4, 5, 6, 7, 8, 1, 3, 0}));
  EXPECT_EQ(tried(search_family::kAny, 6), (std::vector<int>{4, 5, 6, 6}));
  EXPECT_EQ(tried(search_family::kAny, 6, 2), (std::vector<int>{4, 5, 0}));
}

TEST(ErrorCatalogue, EntryParts) {
  EXPECT_EQ(ParseCatalogueEntry(" Level ? OK | Open | Short "),
            (CatalogueEntry{"Level", {"OK", "Open", "Short"}}));
  EXPECT_EQ(ParseCatalogueEntry("Battery"), (CatalogueEntry{"Battery", {"", "", ""}}));
  EXPECT_EQ(ParseCatalogueEntry("Rpm?OK"), (CatalogueEntry{"Rpm", {"OK", "", ""}}));
}

TEST(DiagText, NumbersAndCounters) {
  EXPECT_EQ(LeadingNumber("1500 rpm"), 1500);
  EXPECT_EQ(LeadingNumber("0,5 s"), 0.5);
  EXPECT_EQ(LeadingNumber("-20 %"), -20);
  EXPECT_FALSE(LeadingNumber("Always"));
  EXPECT_EQ(HoursDotMinutes(725), " 12.05");
  EXPECT_EQ(HoursDotMinutes(0), " 0.00");
}

TEST(ObdMap, SignedCellsAndShortRecords) {
  Bytes frame(127, 0);
  frame[6] = 0xF6;               // cell (0, 0)
  frame[6 + 8 + 1] = 0x0A;       // cell (1, 1)
  frame[6 + 8 * 14 + 7] = 0x80;  // cell (14, 7), the last
  const ObdMapCells cells = MapCells(frame);
  EXPECT_EQ(cells[0][0], -10);
  EXPECT_EQ(cells[1][1], 10);
  EXPECT_EQ(cells[14][7], -128);
  // A record cut short leaves the cells it does not reach at 0.
  const ObdMapCells cut = MapCells(Bytes(frame.begin(), frame.begin() + 7));
  EXPECT_EQ(cut[0][0], -10);
  EXPECT_EQ(cut[1][1], 0);
  EXPECT_EQ(cut[14][7], 0);
}

}  // namespace
}  // namespace velmora::diag
