// The report's own conventions: %p as 16 lower-case hex digits, NaN as "nan"
// without sign; every other conversion as the C runtime prints it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "driver/console.h"

namespace {

std::string fmt(const char* f, ...) {
  char buf[256];
  va_list args;
  va_start(args, f);
  formatTextV(buf, sizeof buf, f, args);
  va_end(args);
  return buf;
}

TEST(Console, PointersPrintAsSixteenLowerCaseHexDigits) {
  EXPECT_EQ(fmt("%p", static_cast<void*>(nullptr)), "0000000000000000");
  EXPECT_EQ(fmt("T=%p C=%p", reinterpret_cast<void*>(uintptr_t{0x180000000}),
                reinterpret_cast<void*>(uintptr_t{0xABCDEF})),
            "T=0000000180000000 C=0000000000abcdef");
  EXPECT_EQ(fmt("%p", reinterpret_cast<void*>(~uintptr_t{0})), "ffffffffffffffff");
}

TEST(Console, NanPrintsWithoutSign) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(fmt("%.1f", nan), "nan");
  EXPECT_EQ(fmt("%.1f", -nan), "nan");
  EXPECT_EQ(fmt("%.2f|%f", std::copysign(nan, -1.0), 0.5), "nan|0.500000");
  EXPECT_EQ(fmt("mean=%.1f   x", 0.0 / [] { volatile double z = 0.0; return z; }()), "mean=nan   x");
  EXPECT_EQ(fmt("[%6.1f]", nan), "[   nan]");
}

TEST(Console, OtherConversionsAsTheRuntime) {
  EXPECT_EQ(fmt("%d %u %x %03x %04x", -5, 4294967295u, 255u, 0x240u, 0x1fbf0u), "-5 4294967295 ff 240 1fbf0");
  EXPECT_EQ(fmt("  %3d:%6u", 7, 76800u), "    7: 76800");
  EXPECT_EQ(fmt("pt(%3d,%3d)=%5u temp32=%10u %.2f", 5, 115, 65535u, 0u, 25.126), "pt(  5,115)=65535 temp32=         0 25.13");
  EXPECT_EQ(fmt("%s.b%02d", "pair_000", 7), "pair_000.b07");
  EXPECT_EQ(fmt("%lld %llu %zu 100%%", -1LL, 18446744073709551615ULL, size_t{12}), "-1 18446744073709551615 12 100%");
}

TEST(Console, CutsAtCapacityAndReportsFullLength) {
  char buf[8];
  EXPECT_EQ(formatText(buf, sizeof buf, "%s-%d", "abcdef", 12345), 12);
  EXPECT_STREQ(buf, "abcdef-");
}

}  // namespace
