// Run settings: the argument-count table and the atoi/atof conversion edges.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "driver/args.h"

namespace {

struct ArgsCase {
  std::vector<const char*> argv;
  const char* dir;
  int32_t pairs, warmup;
  double b1, b2, b3;
};

class ArgCount : public testing::TestWithParam<ArgsCase> {};

TEST_P(ArgCount, FillsSettingsFromPositionalArguments) {
  ArgsCase c = GetParam();
  g_dir = ".";
  RunSettings s = parseArgs(static_cast<int>(c.argv.size()), const_cast<char**>(c.argv.data()));
  EXPECT_STREQ(g_dir, c.dir);
  EXPECT_EQ(s.pairs, c.pairs);
  EXPECT_EQ(s.warmup_ms, c.warmup);
  EXPECT_DOUBLE_EQ(s.boundary[0], c.b1);
  EXPECT_DOUBLE_EQ(s.boundary[1], c.b2);
  EXPECT_DOUBLE_EQ(s.boundary[2], c.b3);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArgCount,
    testing::Values(ArgsCase{{}, ".", 24, 6000, 30.0, 44.0, 37.0},
                    ArgsCase{{"irprobe"}, ".", 24, 6000, 30.0, 44.0, 37.0},
                    ArgsCase{{"irprobe", "out"}, "out", 24, 6000, 30.0, 44.0, 37.0},
                    ArgsCase{{"irprobe", "out", "5"}, "out", 5, 6000, 30.0, 44.0, 37.0},
                    ArgsCase{{"irprobe", "out", "5", "0"}, "out", 5, 0, 30.0, 44.0, 37.0},
                    ArgsCase{{"irprobe", "out", "5", "0", "1.5"}, "out", 5, 0, 1.5, 44.0, 37.0},
                    ArgsCase{{"irprobe", "out", "5", "0", "1.5", "2.5"}, "out", 5, 0, 1.5, 2.5, 37.0},
                    ArgsCase{{"irprobe", "out", "5", "0", "1.5", "2.5", "3.5"}, "out", 5, 0, 1.5, 2.5, 3.5},
                    ArgsCase{{"irprobe", "", "12abc", "-7", "36.5x", "x", "-0.25", "9", "9"}, "", 12, -7, 36.5,
                             0.0, -0.25}));

TEST(ArgCount, OutputDirectoryIsTheArgumentItself) {
  char dir[] = "somewhere";
  const char* argv[] = {"irprobe", dir};
  parseArgs(2, const_cast<char**>(argv));
  EXPECT_EQ(g_dir, dir);
  g_dir = ".";
}

TEST(Conversion, IntegersFollowAtoiAndSaturate) {
  const struct {
    const char* text;
    int32_t value;
  } cases[] = {{"42", 42},        {"  \t\n42", 42},       {"+42", 42},           {"-42", -42},
               {"12abc", 12},     {"abc", 0},             {"", 0},               {"- 5", 0},
               {"2147483647", INT32_MAX}, {"2147483648", INT32_MAX}, {"-2147483648", INT32_MIN},
               {"-2147483649", INT32_MIN}, {"99999999999999999999999", INT32_MAX}, {"0x10", 0}};
  for (const auto& c : cases) EXPECT_EQ(toInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(Conversion, DoublesFollowAtof) {
  const struct {
    const char* text;
    double value;
  } cases[] = {{"36.5", 36.5}, {" -1.25e1", -12.5}, {"36.5C", 36.5}, {"abc", 0.0}, {"", 0.0}, {"1e999", HUGE_VAL}};
  for (const auto& c : cases) EXPECT_EQ(toDouble(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
