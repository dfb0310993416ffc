#include "math/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/warn_recorder.h"

template <typename T, int R, int C>
void PrintTo(const Matrix<T, R, C>& m, std::ostream* os) {
    *os << "[";
    for (int r = 0; r < R; ++r) {
        *os << (r ? "; " : "");
        for (int c = 0; c < C; ++c)
            *os << (c ? " " : "") << m.data()[r * C + c];
    }
    *os << "]";
}

namespace {

using Strings = std::vector<std::string>;

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

Mat4f counting4() {
    return Mat4f(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
}

// ---------------------------------------------------------------------------------------------
// Layout and construction

TEST(MatrixLayout, ElementsAreStoredRowByRowWithNothingElse) {
    EXPECT_EQ(sizeof(Vec3f), 12u);
    EXPECT_EQ(sizeof(Vec4f), 16u);
    EXPECT_EQ(sizeof(Vec4i), 16u);
    EXPECT_EQ(sizeof(Matrix<float, 6, 8>), 6u * 8u * sizeof(float));

    const Mat4f m = counting4();
    EXPECT_EQ(m.at(1, 2), 6.0f);
    EXPECT_EQ(m.row(2)[0], 8.0f);
    EXPECT_EQ(m.row(2) + 4, m.row(3));
    const Vec3f v[2] = {Vec3f(1, 2, 3), Vec3f(4, 5, 6)};
    EXPECT_EQ(reinterpret_cast<const float*>(v)[4], 5.0f);
}

TEST(MatrixConstruction, MixedScalarArgumentsAreCastToTheElementType) {
    WarnRecorder rec;
    const Vec3f v(1, 2.5f, 3);
    EXPECT_EQ(v[0], 1.0f);
    EXPECT_EQ(v[1], 2.5f);
    EXPECT_EQ(v[2], 3.0f);
    const Vec2i truncated(2.9, -1.9f);
    EXPECT_EQ(truncated[0], 2);
    EXPECT_EQ(truncated[1], -1);
    EXPECT_EQ(rec.failures(), Strings{});
}

TEST(MatrixConstruction, FillModes) {
    struct Case {
        MatrixInit init;
        Mat4f expected;
    };
    const Case cases[] = {
        {MatrixInit::zeros, Mat4f(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)},
        {MatrixInit::ones, Mat4f(1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1)},
        {MatrixInit::identity, Mat4f(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)},
    };
    for (const Case& c : cases) {
        WarnRecorder rec;
        EXPECT_EQ(Mat4f(c.init), c.expected) << static_cast<int>(c.init);
        EXPECT_EQ(rec.failures(), Strings{});
    }
}

TEST(MatrixConstruction, NonSquareIdentityIsReportedAndStillFilled) {
    WarnRecorder rec;
    const Vec3f v(MatrixInit::identity);
    EXPECT_EQ(v, Vec3f(1, 0, 0));
    const Matrix<int, 2, 3> wide(MatrixInit::identity);
    EXPECT_EQ(wide, (Matrix<int, 2, 3>(1, 0, 0, 0, 1, 0)));
    EXPECT_EQ(rec.failures(), (Strings{"Cannot make non-square identity matrix",
                                       "Cannot make non-square identity matrix"}));
}

TEST(MatrixConstruction, UnknownFillValueIsAnImplementationErrorAndLeavesElements) {
    WarnRecorder rec;
    const Vec3f v(static_cast<MatrixInit>(4));
    (void)v;
    EXPECT_EQ(rec.failures(), Strings{"Implementation error!"});
}

TEST(MatrixConstruction, SizeConversionCopiesTheTopLeftOverlap) {
    const Mat3f upper = counting4();
    EXPECT_EQ(upper, Mat3f(0, 1, 2, 4, 5, 6, 8, 9, 10));
    const Vec3f dropped_w = Vec4f(1, 2, 3, 4);
    EXPECT_EQ(dropped_w, Vec3f(1, 2, 3));
    // Growing fills the part outside the source with zeros.
    const Vec4f grown = Vec3f(1, 2, 3);
    EXPECT_EQ(grown, Vec4f(1, 2, 3, 0));
    const Mat4f grown_matrix = Mat3f(1, 2, 3, 4, 5, 6, 7, 8, 9);
    EXPECT_EQ(grown_matrix, Mat4f(1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0, 0, 0, 0));
}

// ---------------------------------------------------------------------------------------------
// Checked access: each bad index is reported with its value, and the access stays inside memory
// that belongs to no matrix (ASan would flag a stray read or write).

TEST(MatrixAccess, BadIndicesAreReportedAndNeitherReadNorWriteOutside) {
    struct Case {
        const char* name;
        std::function<float(Mat4f&, Vec3f&)> access;  // returns what the access read
        Strings reports;
    };
    const std::vector<Case> cases = {
        {"at row 4",
         [](Mat4f& m, Vec3f&) {
             m.at(4, 0) = 99;
             return m.at(4, 0);
         },
         {"Matrix row index 4 out of bounds!", "Matrix row index 4 out of bounds!"}},
        {"at column -1",
         [](Mat4f& m, Vec3f&) {
             m.at(0, -1) = 99;
             return m.at(0, 4);
         },
         {"Matrix column index -1 out of bounds!", "Matrix column index 4 out of bounds!"}},
        {"at both",
         [](Mat4f& m, Vec3f&) { return m.at(-3, 9); },
         {"Matrix row index -3 out of bounds!", "Matrix column index 9 out of bounds!"}},
        {"at read",
         [](Mat4f& m, Vec3f&) { return m.at(100000, 0); },
         {"Matrix row index 100000 out of bounds!"}},
        {"const at",
         [](Mat4f& m, Vec3f&) { return static_cast<const Mat4f&>(m).at(0, 4); },
         {"Matrix column index 4 out of bounds!"}},
        {"index 3",
         [](Mat4f&, Vec3f& v) {
             v[3] = 99;
             return v[3];
         },
         {"Matrix access index 3 out of bounds!", "Matrix access index 3 out of bounds!"}},
        {"index -1",
         [](Mat4f&, Vec3f& v) { return v[-1]; },
         {"Matrix access index -1 out of bounds!"}},
        {"const index",
         [](Mat4f&, Vec3f& v) { return static_cast<const Vec3f&>(v)[3]; },
         {"Matrix access index 3 out of bounds!"}},
        {"row 4",
         [](Mat4f& m, Vec3f&) {
             float* r = m.row(4);
             for (int c = 0; c < 4; ++c)
                 r[c] = 99;
             return m.row(-1)[3];
         },
         {"Matrix row index 4 out of bounds!", "Matrix row index -1 out of bounds!"}},
        {"const row",
         [](Mat4f& m, Vec3f&) { return static_cast<const Mat4f&>(m).row(7)[3]; },
         {"Matrix row index 7 out of bounds!"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mat4f m = counting4();
        Vec3f v(1, 2, 3);
        WarnRecorder rec;
        const float read = c.access(m, v);
        EXPECT_EQ(rec.failures(), c.reports);
        EXPECT_EQ(read, 0.0f) << "a rejected access reads as zero, even after a rejected write";
        EXPECT_EQ(m, counting4()) << "a rejected write must not land in the matrix";
        EXPECT_EQ(v, Vec3f(1, 2, 3));
    }
}

TEST(MatrixAccess, ValidAccessReportsNothingAndWritesThrough) {
    WarnRecorder rec;
    Mat4f m = counting4();
    m.at(3, 3) = -1;
    m.row(1)[2] = -2;
    Vec4f v(MatrixInit::zeros);
    v[3] = 5;
    EXPECT_EQ(m.at(3, 3), -1.0f);
    EXPECT_EQ(m.at(1, 2), -2.0f);
    EXPECT_EQ(v, Vec4f(0, 0, 0, 5));
    EXPECT_EQ(rec.failures(), Strings{});
}

// ---------------------------------------------------------------------------------------------
// Vector operations

TEST(VectorOps, DifferenceScalingAndCross) {
    EXPECT_EQ(Vec3f(5, 7, 9) - Vec3f(1, 2, 3), Vec3f(4, 5, 6));
    EXPECT_EQ(2.0f * Vec3f(1, -2, 3.5f), Vec3f(2, -4, 7));
    EXPECT_EQ(cross(Vec3f(1, 0, 0), Vec3f(0, 1, 0)), Vec3f(0, 0, 1));
    EXPECT_EQ(cross(Vec3f(0, 1, 0), Vec3f(1, 0, 0)), Vec3f(0, 0, -1));
    EXPECT_EQ(cross(Vec3f(1, 2, 3), Vec3f(4, 5, 6)), Vec3f(-3, 6, -3));
}

TEST(VectorOps, LengthAndNormalized) {
    struct Case {
        Vec3f in;
        float length;
        Vec3f unit;
    };
    const Case cases[] = {
        {Vec3f(3, 0, 4), 5.0f, Vec3f(0.6f, 0, 0.8f)},
        {Vec3f(0, 0, 0), 0.0f, Vec3f(0, 0, 0)},
        {Vec3f(0, -2, 0), 2.0f, Vec3f(0, -1, 0)},
        {Vec3f(1, 1, 1), std::sqrt(3.0f), Vec3f(0.57735027f, 0.57735027f, 0.57735027f)},
    };
    for (const Case& c : cases) {
        WarnRecorder rec;
        EXPECT_FLOAT_EQ(c.in.length(), c.length);
        EXPECT_TRUE(near(c.in.normalized(), c.unit, 1e-6f)) << ::testing::PrintToString(c.in);
        EXPECT_EQ(rec.failures(), Strings{});
    }
    EXPECT_EQ(Vec3f(1, 2, 2).length_squared(), 9.0f);
    const Vec3f nan_unit = Vec3f(std::nanf(""), 0, 0).normalized();
    EXPECT_TRUE(std::isnan(nan_unit[0])) << "a NaN length is not zero and is divided through";
}

// ---------------------------------------------------------------------------------------------
// Scalar functions

TEST(Scalars, ClampTestsLowThenHigh) {
    struct Case {
        float x, low, high, expected;
        bool reported;
    };
    const Case cases[] = {
        {15, -10, 10, 10, false}, {-15, -10, 10, -10, false}, {3, -10, 10, 3, false},
        {10, -10, 10, 10, false}, {3, 5, 1, 5, true},         {7, 5, 1, 1, true},
        {3, 2, 2, 2, false},
    };
    for (const Case& c : cases) {
        WarnRecorder rec;
        EXPECT_EQ(clamp(c.x, c.low, c.high), c.expected)
            << c.x << " in [" << c.low << ", " << c.high << "]";
        EXPECT_EQ(rec.failures(),
                  c.reported ? Strings{"Upper bound must not be lower than the lower bound!"}
                             : Strings{});
    }
    EXPECT_TRUE(std::isnan(clamp(std::nanf(""), -1, 1)));
}

TEST(Scalars, RoundHalfUpAddsAHalfAndTruncates) {
    struct Case {
        float x;
        int expected;
    };
    const Case cases[] = {{2.5f, 3},  {2.49f, 2}, {-1.7f, -1}, {-1.5f, -1},
                          {-0.4f, 0}, {0.0f, 0},  {-2.6f, -2}, {1023.5f, 1024}};
    for (const Case& c : cases)
        EXPECT_EQ(round_half_up(c.x), c.expected) << c.x;
}

TEST(Scalars, AngleConversion) {
    EXPECT_EQ(deg_to_rad(1.0f), 0.017453292f);
    EXPECT_EQ(rad_to_deg(1.0f), 57.29578f);
    EXPECT_NEAR(deg_to_rad(180.0f), 3.14159265f, 1e-6f);
    EXPECT_NEAR(rad_to_deg(deg_to_rad(37.0f)), 37.0f, 1e-5f);
}

}  // namespace
