// Exact decimal sums of floats.
#include "platform/core/exactsum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using plat::TExactSum;

TEST(ExactSum, AddsTheDecimalsAsTyped) {
    TExactSum s;
    for (int i = 0; i < 10; ++i) s.Add(0.1);
    EXPECT_EQ(s.Value(), 1.0);  // ten float additions give 0.9999999999999999
    TExactSum t;
    t.Add(1.6);
    t.Add(2.7);
    EXPECT_EQ(t.Value(), 4.3);
}

TEST(ExactSum, OrderAndTakingAwayLeaveNoTrace) {
    const double values[] = {1e20, 0.01, -3.75, 123456789.123, 5e-7, -1e20, 0.3};
    TExactSum forward, backward, churn;
    for (double v : values) forward.Add(v);
    for (int i = 6; i >= 0; --i) backward.Add(values[i]);
    for (double v : values) {
        churn.Add(v);
        churn.Add(99.99);
        churn.Subtract(99.99);
    }
    EXPECT_EQ(forward.Value(), backward.Value());
    EXPECT_EQ(forward.Value(), churn.Value());
    EXPECT_EQ(forward.Value(), 123456785.6830005);
    for (double v : values) forward.Subtract(v);
    EXPECT_EQ(forward.Value(), 0.0);
    EXPECT_FALSE(std::signbit(forward.Value()));
}

TEST(ExactSum, ExtremesAndNonNumbers) {
    TExactSum big;
    big.Add(std::numeric_limits<double>::max());
    big.Add(std::numeric_limits<double>::max());
    EXPECT_EQ(big.Value(), std::numeric_limits<double>::infinity());
    big.Subtract(std::numeric_limits<double>::max());
    EXPECT_EQ(big.Value(), std::numeric_limits<double>::max());

    TExactSum tiny;
    tiny.Add(std::numeric_limits<double>::denorm_min());
    tiny.Add(1.0);
    tiny.Subtract(1.0);
    EXPECT_EQ(tiny.Value(), std::numeric_limits<double>::denorm_min());

    TExactSum odd;
    odd.Add(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isnan(odd.Value()));
    odd.Subtract(std::numeric_limits<double>::quiet_NaN());
    odd.Add(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(odd.Value(), -std::numeric_limits<double>::infinity());
}
