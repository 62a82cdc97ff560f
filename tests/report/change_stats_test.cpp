// Byte differences between two dumps, and the change view built from them.
#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "base64.h"
#include "change_stats.h"
#include "change_view.h"
#include "report_fixture.h"

using irreport::ByteDiff;
using irreport::diffBytes;

TEST(DiffBytes, CountsAndFirstOffset) {
  struct Case {
    const char* what;
    std::vector<uint8_t> before, after;
    size_t differing, span;
    int64_t first;
  };
  std::vector<uint8_t> big(200, 7), bigChanged = big;
  bigChanged[130] = 8;  // inside the third 64-byte block
  bigChanged[199] = 0;
  const Case cases[] = {
      {"identical", {1, 2, 3}, {1, 2, 3}, 0, 3, -1},
      {"both empty", {}, {}, 0, 0, -1},
      {"one byte", {1, 2, 3, 4}, {1, 2, 9, 4}, 1, 4, 2},
      {"every byte", {1, 2}, {3, 4}, 2, 2, 0},
      {"grown", {1, 2}, {1, 2, 3, 4}, 2, 4, 2},
      {"shrunk", {1, 2, 3}, {1}, 2, 3, 1},
      {"appeared", {}, {5, 5}, 2, 2, 0},
      {"past the first block", big, bigChanged, 2, 200, 130},
  };
  for (const Case& c : cases) {
    const ByteDiff d = diffBytes(c.before, c.after);
    EXPECT_EQ(d.differing, c.differing) << c.what;
    EXPECT_EQ(d.span, c.span) << c.what;
    EXPECT_EQ(d.firstOffset, c.first) << c.what;
  }
  EXPECT_DOUBLE_EQ(irreport::diffFraction(diffBytes({1, 2, 3, 4}, {1, 2, 9, 4})), 0.25);
  EXPECT_DOUBLE_EQ(irreport::diffFraction(diffBytes({}, {})), 0.0);
}

TEST(Base64, PadsAsRfc4648) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}};
  for (const auto& c : cases)
    EXPECT_EQ(irreport::base64(reinterpret_cast<const uint8_t*>(c.in), std::strlen(c.in)), c.out) << c.in;
}

// Three pairs: ref appears at pair 1 and changes one byte at pair 2; hdr
// never changes; b05 is never dumped.
TEST(ChangeView, StatesAndPlacement) {
  reportfx::FakeCapture fx(3);
  fx.pair(1).put("ref", std::vector<uint8_t>(24, 1));
  auto ref2 = std::vector<uint8_t>(24, 1);
  ref2[5] = 2;
  fx.pair(2).put("ref", ref2);
  fx.write();
  std::string error;
  const auto cap = fx.load(error);
  ASSERT_TRUE(cap) << error;
  const auto changes = irreport::computeChanges(*cap);
  const auto& ref = *std::find_if(changes.begin(), changes.end(), [](auto& t) { return t.table == "ref"; });
  EXPECT_EQ(ref.cells[0].state, irreport::CellState::NoFile);
  EXPECT_EQ(ref.cells[1].state, irreport::CellState::Appeared);
  EXPECT_EQ(ref.cells[2].state, irreport::CellState::Compared);
  EXPECT_EQ(ref.cells[2].diff.differing, 1u);
  EXPECT_EQ(ref.cells[2].diff.firstOffset, 5);

  const std::string html = irreport::changeViewHtml(*cap, changes);
  EXPECT_NE(html.find("<tr data-table=\"ref\""), std::string::npos);
  EXPECT_NE(html.find("data-pair=\"2\" data-diff-bytes=\"1\" data-first-diff=\"0x5\""), std::string::npos);
  EXPECT_NE(html.find("first at 0x5"), std::string::npos);
  const size_t unchanged = html.find("id=\"unchanged\"");
  ASSERT_NE(unchanged, std::string::npos);
  EXPECT_NE(html.find("data-table=\"hdr\"", unchanged), std::string::npos);
  EXPECT_EQ(html.find("<tr data-table=\"hdr\""), std::string::npos);
  EXPECT_NE(html.find("data-table=\"b05\"", html.find("id=\"never-dumped\"")), std::string::npos);
  // FFC pairs (assumed: no report): 3/3 = 1 and 6/3 = 2.
  EXPECT_NE(html.find("class=\"pair ffc-on\" data-pair=\"1\""), std::string::npos);
  EXPECT_NE(html.find("class=\"pair ffc-off\" data-pair=\"2\""), std::string::npos);
}
