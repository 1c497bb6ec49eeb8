#include "core/CPUMeter.h"

#include <gtest/gtest.h>

namespace {

using T = CPUMeter::Ticks;

// A baseline and a reading whose busy share since the baseline is `share`, on four cores.
std::optional<int> at(double share, double load) {
  return CPUMeter::evaluate(T{1000, 5000}, T{1000 + share * 800, 5800}, load, 4);
}

TEST(CPUMeter, BusyShareAndLoadRules) {
  EXPECT_EQ(at(0.8, 0.5), 80);
  EXPECT_EQ(at(0.9, 8.0), 95);  // high load lifts to at least 95
  EXPECT_EQ(at(0.97, 8.0), 97);
  EXPECT_EQ(at(0.5, 7.9), std::nullopt);
  EXPECT_EQ(at(0.875, 1.0), 88);  // 87.5 rounds away from zero
}

TEST(CPUMeter, FallsBackToTheLoadAverage) {
  EXPECT_EQ(CPUMeter::evaluate(std::nullopt, T{1, 2}, 8.0, 4), 95);
  // No ticks elapsed, or counters that went backwards.
  EXPECT_EQ(CPUMeter::evaluate(T{10, 20}, T{10, 20}, 9.0, 4), 95);
  EXPECT_EQ(CPUMeter::evaluate(T{10, 20}, T{5, 10}, 1.0, 4), std::nullopt);
  // An unreadable load average counts as low.
  EXPECT_EQ(CPUMeter::evaluate(std::nullopt, std::nullopt, std::nullopt, 4), std::nullopt);
}

TEST(CPUMeter, ReadsTheMachineLineOfProcStat) {
  const auto t = CPUMeter::parseProcStat("cpu  100 20 30 850 5 0 1 0 0 0\ncpu0 1 2 3 4\n");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->busy, 150);
  EXPECT_EQ(t->total, 1000);
  EXPECT_FALSE(CPUMeter::parseProcStat("cpu0 1 2 3 4"));
  EXPECT_FALSE(CPUMeter::parseProcStat("cpu  1 2"));
  // The real file, and a meter measuring against a baseline from it.
  const auto real = CPUMeter::ticks();
  ASSERT_TRUE(real);
  EXPECT_GT(real->total, real->busy);
  CPUMeter meter;
  meter.mark();
  ASSERT_TRUE(meter.last);
  const auto percent = meter.busyPercent();
  EXPECT_TRUE(!percent || (*percent >= 80 && *percent <= 100));
}

}  // namespace
