#include "tools/LiveValueWindow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

bus::Reading answered(double v) {
    return {0, v};
}
const bus::Reading kNoAnswer{-2, std::nullopt};

// A day at 0.2 s: memory stays bounded, old spans keep their extremes and mean, failed polls
// stay gaps and are never counted as values.
TEST(LiveTrendTest, ADayOfReadingsStaysBoundedAndKeepsItsStatistics) {
    LiveTrend trend;
    const qint64 day = 24LL * 3600 * 1000;
    std::size_t largest = 0;
    qint64 ms = 0;
    for (; ms <= day + 3600 * 1000; ms += 200) {
        const qint64 second = ms / 1000;
        // A saw tooth 100..1099 over 1000 s; the whole minute from 20 h on goes unanswered.
        const bool quiet = ms >= 20LL * 3600 * 1000 && ms < 20LL * 3600 * 1000 + 60000;
        trend.add(ms, quiet ? kNoAnswer : answered(100.0 + static_cast<double>(second % 1000)));
        largest = std::max(largest, trend.size());
    }
    EXPECT_LE(largest, 3000u + 8640u + 2u);

    const qint64 now = ms - 200;
    const LiveTrend::Stats all = trend.stats(now - day, now);
    ASSERT_TRUE(all.min && all.max && all.mean);
    EXPECT_EQ(*all.min, 100.0); // a failed poll is no zero
    EXPECT_EQ(*all.max, 1099.0);
    EXPECT_NEAR(*all.mean, 599.5, 5.0);
    EXPECT_EQ(all.failed, 300);

    int gaps = 0;
    for (const TrendPoint& p : trend.points(20LL * 3600 * 1000, 20LL * 3600 * 1000 + 60000 - 1))
        gaps += p.gap() ? 1 : 0;
    EXPECT_EQ(gaps, 6); // six spans of 10 s without an answer

    // The recent minutes are single readings.
    const QList<TrendPoint> last = trend.points(now - 1000, now);
    ASSERT_EQ(last.size(), 6);
    EXPECT_EQ(last.back().ms, now);
    EXPECT_EQ(last.back().untilMs, now);
}

// A span's mean weighs every reading in it, however many came into each part it was folded from.
TEST(LiveTrendTest, FoldedSpansAndStatisticsWeighEveryReading) {
    LiveTrend trend(LiveTrend::Limits{1000, 1000, 24 * 3600 * 1000});
    for (const auto& [ms, value] : {std::pair{0, 0.0}, {300, 0.0}, {600, 6.0}, {5000, 100.0}})
        trend.add(ms, answered(value));
    const QList<TrendPoint> span = trend.points(0, 999);
    ASSERT_EQ(span.size(), 1);
    EXPECT_EQ(span.at(0).readings, 3);
    EXPECT_DOUBLE_EQ(span.at(0).mean, 2.0);
    EXPECT_DOUBLE_EQ(*trend.stats(0, 5000).mean, 26.5);
}

// The input is simulated: after each end is applied, the display value settles towards what the
// instrument makes of it, with a poll lost on the way.
LoopCheck::Step runCheck(LoopCheck& check, double lowShows, double highShows) {
    LoopCheck::Settings s;
    s.lowInput = QStringLiteral("4 mA");
    s.highInput = QStringLiteral("20 mA");
    s.displayLow = 0;
    s.displayHigh = 1000;
    check.start(s);
    qint64 ms = 0;
    double shown = 500;
    for (const double target : {lowShows, highShows}) {
        EXPECT_TRUE(check.step() == LoopCheck::Step::ApplyLow || check.step() == LoopCheck::Step::ApplyHigh);
        check.applied();
        const double from = shown;
        const qint64 appliedAt = ms;
        for (int poll = 0; poll < 200 && (check.step() == LoopCheck::Step::SettlingLow ||
                                          check.step() == LoopCheck::Step::SettlingHigh);
             ++poll, ms += 200) {
            shown = target + (from - target) * std::exp(-(ms - appliedAt) / 1500.0);
            check.add(ms, poll == 5 ? kNoAnswer : answered(shown));
        }
    }
    return check.step();
}

TEST(LoopCheckTest, PassesWithinTheToleranceAndFailsOutsideWithBothReadings) {
    LoopCheck good;
    EXPECT_EQ(runCheck(good, 0.3, 1003.0), LoopCheck::Step::Passed);
    ASSERT_TRUE(good.low().reading && good.high().reading);
    // Taken once steady, not on the way there.
    EXPECT_NEAR(*good.low().reading, 0.3, 1.0);
    EXPECT_NEAR(*good.high().reading, 1003.0, 1.0);
    EXPECT_TRUE(good.prompt().startsWith(QStringLiteral("Schleifentest bestanden. 4 mA: ")))
        << good.prompt().toStdString();
    EXPECT_TRUE(good.prompt().endsWith(QStringLiteral("20 mA: 1003 (Soll 1000)"))) << good.prompt().toStdString();

    // 0.5 % of a span of 1000 is 5: a high end showing 990 fails, the low end still passed.
    LoopCheck bad;
    EXPECT_EQ(runCheck(bad, -2.0, 990.0), LoopCheck::Step::Failed);
    EXPECT_TRUE(bad.low().ok);
    EXPECT_FALSE(bad.high().ok);
    ASSERT_TRUE(bad.high().reading);
    EXPECT_NEAR(*bad.high().reading, 990.0, 1.0);
    EXPECT_TRUE(bad.prompt().startsWith(QStringLiteral("Schleifentest nicht bestanden.")));

    // Only the high end right is no pass either.
    LoopCheck lowOff;
    EXPECT_EQ(runCheck(lowOff, 20.0, 1000.0), LoopCheck::Step::Failed);
}

} // namespace
