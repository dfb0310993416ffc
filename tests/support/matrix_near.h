#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "math/matrix.h"

// Element-wise comparison that names the first element outside the tolerance.
template <int R, int C>
::testing::AssertionResult near(const Matrix<float, R, C>& actual,
                                const Matrix<float, R, C>& expected, float tolerance) {
    for (int i = 0; i < R * C; ++i) {
        const float a = actual.data()[i];
        const float e = expected.data()[i];
        if (!(std::fabs(a - e) <= tolerance)) {
            return ::testing::AssertionFailure()
                   << "element (" << i / C << ", " << i % C << ") is " << a << ", expected " << e
                   << " within " << tolerance;
        }
    }
    return ::testing::AssertionSuccess();
}
