#include "math/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/matrix_near.h"
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

TEST(MatrixConstruction, ValueInitialisationZeroFills) {
    const Vec4f v{};
    EXPECT_EQ(v, Vec4f(0, 0, 0, 0));
    const Mat4f m = Mat4f();
    EXPECT_EQ(m, Mat4f(MatrixInit::zeros));
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

// ---------------------------------------------------------------------------------------------
// 4x4 builders

TEST(Transforms, TranslationMovesPointsAndNotDirections) {
    const Mat4f t = translation(1, 2, 3);
    EXPECT_EQ(t * Vec4f(0, 0, 0, 1), Vec4f(1, 2, 3, 1));
    EXPECT_EQ(t * Vec4f(1, 1, 1, 0), Vec4f(1, 1, 1, 0));
    EXPECT_EQ(t.at(0, 3), 1.0f) << "the translation sits in the last column";
    EXPECT_EQ(identity4(), Mat4f(MatrixInit::identity));
}

TEST(Transforms, RotationIsCounterClockwiseAboutTheAxis) {
    struct Case {
        Vec3f axis;
        float degrees;
        Vec4f in, expected;
    };
    const Case cases[] = {
        {Vec3f(0, 0, 1), 90, Vec4f(1, 0, 0, 1), Vec4f(0, 1, 0, 1)},
        {Vec3f(1, 0, 0), 90, Vec4f(0, 1, 0, 1), Vec4f(0, 0, 1, 1)},
        {Vec3f(0, 1, 0), 90, Vec4f(0, 0, 1, 1), Vec4f(1, 0, 0, 1)},
        {Vec3f(0, 0, 1), -90, Vec4f(1, 0, 0, 0), Vec4f(0, -1, 0, 0)},
        {Vec3f(0, 0, 1), 180, Vec4f(2, 3, 4, 1), Vec4f(-2, -3, 4, 1)},
        // A third of a turn about the diagonal cycles the axes.
        {Vec3f(0.57735027f, 0.57735027f, 0.57735027f), 120, Vec4f(1, 0, 0, 1), Vec4f(0, 1, 0, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.axis) + " by " + std::to_string(c.degrees));
        EXPECT_TRUE(near(rotation_degrees(c.axis, c.degrees) * c.in, c.expected, 1e-6f));
        EXPECT_TRUE(
            near(rotation_radians(c.axis, deg_to_rad(c.degrees)) * c.in, c.expected, 1e-6f));
    }
}

TEST(Transforms, RotationIsOrthonormalAndScalesWithANonUnitAxis) {
    const Mat4f r = rotation_degrees(Vec3f(2, -3, 6).normalized(), 37);
    EXPECT_TRUE(near(r * r.transposed(), identity4(), 1e-6f));
    EXPECT_TRUE(near(r * Vec4f(2, -3, 6, 0), Vec4f(2, -3, 6, 0), 1e-5f)) << "axis is fixed";
    // With angle 0 the matrix is t*0 + identity; at 180 degrees t = 2 and a doubled axis gives
    // the element 2*x*x - 1 = 7 on the diagonal.
    EXPECT_EQ(rotation_degrees(Vec3f(2, 0, 0), 0), identity4());
    EXPECT_NEAR(rotation_degrees(Vec3f(2, 0, 0), 180).at(0, 0), 7.0f, 1e-6f);
}

TEST(Transforms, LookAt) {
    EXPECT_EQ(look_at(Vec3f(0, 0, 1), Vec3f(0, 0, 0), Vec3f(0, 1, 0)), translation(0, 0, -1));

    // An oblique camera: the eye goes to the origin, the center onto -z at its distance, and
    // the up vector stays in the upper half of the view.
    const Vec3f eye(4, 5, -3), center(1, -1, 2), up(0, 1, 0);
    const Mat4f v = look_at(eye, center, up);
    EXPECT_TRUE(near(v * Vec4f(4, 5, -3, 1), Vec4f(0, 0, 0, 1), 1e-5f));
    const float distance = (center - eye).length();
    EXPECT_TRUE(near(v * Vec4f(1, -1, 2, 1), Vec4f(0, 0, -distance, 1), 1e-5f));
    EXPECT_GT((v * Vec4f(0, 1, 0, 0))[1], 0.0f);
    const Mat3f rot = v;
    EXPECT_TRUE(near(rot * rot.transposed(), Mat3f(MatrixInit::identity), 1e-6f));
}

TEST(Transforms, Projections) {
    EXPECT_EQ(make_projection(true, -1, 1, -1, 1, -1, 1),
              Mat4f(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1));
    const Mat4f p = make_projection(false, -1, 1, -1, 1, 1, 3);
    EXPECT_EQ(Vec4f(p.row(2)[0], p.row(2)[1], p.row(2)[2], p.row(2)[3]), Vec4f(0, 0, -2, -3));
    EXPECT_EQ(Vec4f(p.row(3)[0], p.row(3)[1], p.row(3)[2], p.row(3)[3]), Vec4f(0, 0, -1, 0));

    // Corners of an off-centre box and frustum land on the corners of the clip cube.
    struct Case {
        bool orthographic;
        Vec4f point;  // in eye space
        Vec3f ndc;
    };
    const float l = -2, r = 6, b = -1, t = 3, n = 0.5f, f = 20;
    const Case cases[] = {
        {true, Vec4f(l, b, -n, 1), Vec3f(-1, -1, -1)},
        {true, Vec4f(r, t, -f, 1), Vec3f(1, 1, 1)},
        {false, Vec4f(l, b, -n, 1), Vec3f(-1, -1, -1)},
        {false, Vec4f(r, t, -n, 1), Vec3f(1, 1, -1)},
        {false, Vec4f(r * f / n, b * f / n, -f, 1), Vec3f(1, -1, 1)},
    };
    for (const Case& c : cases) {
        const Vec4f clip = make_projection(c.orthographic, l, r, b, t, n, f) * c.point;
        const Vec3f ndc(clip[0] / clip[3], clip[1] / clip[3], clip[2] / clip[3]);
        EXPECT_TRUE(near(ndc, c.ndc, 1e-5f))
            << c.orthographic << " " << ::testing::PrintToString(c.point);
    }
    EXPECT_FALSE(std::isfinite(make_projection(true, 1, 1, -1, 1, -1, 1).at(0, 0)));
}

// ---------------------------------------------------------------------------------------------
// Products, transposition, blocks

TEST(MatrixProduct, SumsOverTheInnerIndexInIncreasingOrder) {
    // 1e8 + 1 rounds back to 1e8 in single precision, so only the left-to-right order gives 1:
    // ((1e8 + 1) - 1e8) + 1. Pairwise or reversed sums give 0 or 2.
    const Matrix<float, 1, 4> a(1e8f, 1, -1e8f, 1);
    const Vec4f ones(1, 1, 1, 1);
    EXPECT_EQ((a * ones)[0], 1.0f);
    const Mat4f m(1e8f, 1, -1e8f, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ((m * ones)[0], 1.0f);
    EXPECT_EQ((m * Mat4f(MatrixInit::ones)).at(0, 3), 1.0f);
}

TEST(MatrixProduct, ComposesTransformsRightToLeftAndHandlesRectangularShapes) {
    const Mat4f moved_then_turned = rotation_degrees(Vec3f(0, 0, 1), 90) * translation(1, 0, 0);
    EXPECT_TRUE(near(moved_then_turned * Vec4f(0, 0, 0, 1), Vec4f(0, 1, 0, 1), 1e-6f));

    const Matrix<int, 2, 3> a(1, 2, 3, 4, 5, 6);
    const Matrix<int, 3, 2> b(7, 8, 9, 10, 11, 12);
    EXPECT_EQ(a * b, (Matrix<int, 2, 2>(58, 64, 139, 154)));
    EXPECT_EQ(b * a, (Matrix<int, 3, 3>(39, 54, 69, 49, 68, 87, 59, 82, 105)));
}

TEST(MatrixTranspose, SwapsRowsAndColumns) {
    Matrix<float, 6, 8> m;
    for (int i = 0; i < 48; ++i)
        m.data()[i] = static_cast<float>(i);
    const Matrix<float, 8, 6> t = m.transposed();
    EXPECT_EQ(t.at(7, 5), m.at(5, 7));
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 8; ++c)
            ASSERT_EQ(t.at(c, r), m.at(r, c)) << r << ", " << c;
    }
    EXPECT_EQ(t.transposed(), m);
}

TEST(MatrixBlock, CopiesTheNamedColumnsAndRows) {
    Matrix<float, 4, 8> wide;
    for (int i = 0; i < 32; ++i)
        wide.data()[i] = static_cast<float>(i);
    WarnRecorder rec;
    EXPECT_EQ(Mat4f(wide, 4, 8, 0, 4),
              Mat4f(4, 5, 6, 7, 12, 13, 14, 15, 20, 21, 22, 23, 28, 29, 30, 31));
    EXPECT_EQ(Mat4f(wide, 0, 4, 0, 4),
              Mat4f(0, 1, 2, 3, 8, 9, 10, 11, 16, 17, 18, 19, 24, 25, 26, 27));
    EXPECT_EQ((Matrix<float, 2, 3>(wide, 5, 8, 1, 3)),
              (Matrix<float, 2, 3>(13, 14, 15, 21, 22, 23)));
    EXPECT_EQ(rec.failures(), Strings{});
}

TEST(MatrixBlock, BadRangesAreReportedAndStayInsideBothMatrices) {
    Matrix<float, 4, 8> wide;
    for (int i = 0; i < 32; ++i)
        wide.data()[i] = static_cast<float>(i + 1);
    struct Case {
        int column_begin, column_end, row_begin, row_end;
        Strings reports;
        Mat4f expected;  // source elements where inside the source, zero elsewhere
    };
    const std::string neg = "Indices must be nonnegative in matrix copy";
    const std::string dim = "Dimension mismatch in matrix copy";
    // Every read outside the source is reported by its checked access, row before column,
    // one report per element in row-major order.
    const std::string row4 = "Matrix row index 4 out of bounds!";
    const std::string row5 = "Matrix row index 5 out of bounds!";
    const std::string row_1 = "Matrix row index -1 out of bounds!";
    const std::string col8 = "Matrix column index 8 out of bounds!";
    const std::string col9 = "Matrix column index 9 out of bounds!";
    const std::string col_2 = "Matrix column index -2 out of bounds!";
    const std::string col_1 = "Matrix column index -1 out of bounds!";
    const Case cases[] = {
        {4, 7, 0, 4, {dim}, Mat4f(5, 6, 7, 8, 13, 14, 15, 16, 21, 22, 23, 24, 29, 30, 31, 32)},
        {6,
         10,
         0,
         4,
         {col8, col9, col8, col9, col8, col9, col8, col9},
         Mat4f(7, 8, 0, 0, 15, 16, 0, 0, 23, 24, 0, 0, 31, 32, 0, 0)},
        {0,
         4,
         2,
         4,
         {dim, row4, row4, row4, row4, row5, row5, row5, row5},
         Mat4f(17, 18, 19, 20, 25, 26, 27, 28, 0, 0, 0, 0, 0, 0, 0, 0)},
        {-2,
         2,
         -1,
         3,
         {neg, row_1, col_2, row_1, col_1, row_1, row_1, col_2, col_1, col_2, col_1, col_2, col_1},
         Mat4f(0, 0, 0, 0, 0, 0, 1, 2, 0, 0, 9, 10, 0, 0, 17, 18)},
        {-2,
         5,
         0,
         9,
         {neg, dim, dim, col_2, col_1, col_2, col_1, col_2, col_1, col_2, col_1},
         Mat4f(0, 0, 1, 2, 0, 0, 9, 10, 0, 0, 17, 18, 0, 0, 25, 26)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            ::testing::PrintToString(Vec4i(c.column_begin, c.column_end, c.row_begin, c.row_end)));
        WarnRecorder rec;
        EXPECT_EQ(Mat4f(wide, c.column_begin, c.column_end, c.row_begin, c.row_end), c.expected);
        EXPECT_EQ(rec.failures(), c.reports);
    }
}

TEST(MatrixBlock, AugmentPlacesBSideBySideWithA) {
    const Matrix<int, 2, 5> ab =
        augment(Matrix<int, 2, 2>(1, 2, 3, 4), Matrix<int, 2, 3>(5, 6, 7, 8, 9, 10));
    EXPECT_EQ(ab, (Matrix<int, 2, 5>(1, 2, 5, 6, 7, 3, 4, 8, 9, 10)));
}

// ---------------------------------------------------------------------------------------------
// Row operations and elimination

TEST(RowOperations, ApplyToWholeRows) {
    Matrix<float, 3, 2> m(1, 2, 3, 4, 5, 6);
    m.swap_rows(0, 2);
    EXPECT_EQ(m, (Matrix<float, 3, 2>(5, 6, 3, 4, 1, 2)));
    m.scale_row(1, -2);
    EXPECT_EQ(m, (Matrix<float, 3, 2>(5, 6, -6, -8, 1, 2)));
    m.scale_add_row(3, 2, 0);
    EXPECT_EQ(m, (Matrix<float, 3, 2>(8, 12, -6, -8, 1, 2)));
    m.swap_rows(1, 1);
    EXPECT_EQ(m, (Matrix<float, 3, 2>(8, 12, -6, -8, 1, 2)));
}

TEST(RowOperations, BadRowsAreReportedInOrderAndChangeNothing) {
    struct Case {
        const char* name;
        std::function<void(Matrix<float, 3, 2>&)> op;
        Strings reports;
    };
    const std::vector<Case> cases = {
        {"swap second",
         [](Matrix<float, 3, 2>& m) { m.swap_rows(0, 3); },
         {"Matrix row index 3 out of bounds in swap!"}},
        {"swap both",
         [](Matrix<float, 3, 2>& m) { m.swap_rows(-1, 7); },
         {"Matrix row index -1 out of bounds in swap!",
          "Matrix row index 7 out of bounds in swap!"}},
        {"scale",
         [](Matrix<float, 3, 2>& m) { m.scale_row(3, 0); },
         {"Matrix row index 3 out of bounds in scale!"}},
        {"scale-add source",
         [](Matrix<float, 3, 2>& m) { m.scale_add_row(1, -1, 0); },
         {"Matrix source row index -1 out of bounds in scale-add!"}},
        {"scale-add destination",
         [](Matrix<float, 3, 2>& m) { m.scale_add_row(1, 0, 3); },
         {"Matrix destination row index 3 out of bounds in scale-add!"}},
        {"scale-add both",
         [](Matrix<float, 3, 2>& m) { m.scale_add_row(1, 9, -2); },
         {"Matrix source row index 9 out of bounds in scale-add!",
          "Matrix destination row index -2 out of bounds in scale-add!"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Matrix<float, 3, 2> m(1, 2, 3, 4, 5, 6);
        WarnRecorder rec;
        c.op(m);
        EXPECT_EQ(rec.failures(), c.reports);
        EXPECT_EQ(m, (Matrix<float, 3, 2>(1, 2, 3, 4, 5, 6)));
    }
}

TEST(Elimination, PartialPivotingTakesTheTopmostLargestMagnitude) {
    const Mat4f a(0, 1, 2, 3,   //
                  3, 0, 1, 2,   //
                  -3, 2, 0, 1,  //
                  1, 1, 1, 0);
    const Matrix<float, 4, 8> start = augment(a, identity4());
    Matrix<float, 4, 8> m = start;
    m.row_echelon();
    // Row 1 of [A | I] became the pivot row untouched.
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(m.at(0, c), start.at(1, c)) << "column " << c;
    for (int r = 1; r < 4; ++r) {
        EXPECT_EQ(m.at(r, 0), 0.0f) << "row " << r;
        EXPECT_FALSE(std::signbit(m.at(r, 0))) << "a cleared element is exactly +0";
    }
    for (int r = 2; r < 4; ++r)
        EXPECT_EQ(m.at(r, 1), 0.0f);
    EXPECT_EQ(m.at(3, 2), 0.0f);
}

TEST(Elimination, ReducedFormOfARankDeficientMatrix) {
    // Worked by hand: pivots in columns 0 and 1, the third row vanishes.
    Matrix<float, 3, 3> m(1, 2, 3, 2, 4, 6, 1, 1, 1);
    m.reduced_row_echelon();
    EXPECT_TRUE(near(m, Matrix<float, 3, 3>(1, 0, -1, 0, 1, 2, 0, 0, 0), 1e-6f));

    // A zero column is skipped and the pivots move right.
    Matrix<float, 2, 3> z(0, 2, 4, 0, 1, 3);
    z.reduced_row_echelon();
    EXPECT_TRUE(near(z, Matrix<float, 2, 3>(0, 1, 0, 0, 0, 1), 1e-6f));
}

TEST(Inverse, WorkedCasesIncludingSingularOnes) {
    struct Case {
        const char* name;
        Mat4f in, expected;
    };
    const Case cases[] = {
        {"diagonal", Mat4f(2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 0, 0, 0, 16),
         Mat4f(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, 0, 0, 0, 0.0625f)},
        {"translation", translation(3, 4, 5), translation(-3, -4, -5)},
        {"axis swap", Mat4f(0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1),
         Mat4f(0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)},
        {"zero", Mat4f(MatrixInit::zeros), identity4()},
        {"singular", Mat4f(1, 2, 0, 0, 2, 4, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1),
         Mat4f(0, 0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, -0.5f, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WarnRecorder rec;
        EXPECT_TRUE(near(c.in.inverse(), c.expected, 1e-6f));
        EXPECT_EQ(rec.failures(), Strings{});
    }
}

TEST(Inverse, UndoesRandomTransforms) {
    std::mt19937 gen(7);
    std::uniform_real_distribution<float> u(-1, 1);
    for (int k = 0; k < 20; ++k) {
        const Mat4f m = translation(5 * u(gen), 5 * u(gen), 5 * u(gen)) *
                        rotation_degrees(Vec3f(u(gen), u(gen), u(gen)).normalized(), 180 * u(gen)) *
                        Mat4f(1 + u(gen) * 0.5f, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1);
        EXPECT_TRUE(near(m * m.inverse(), identity4(), 1e-5f)) << k;
        EXPECT_TRUE(near(m.inverse() * m, identity4(), 1e-5f)) << k;
    }
}

// ---------------------------------------------------------------------------------------------
// Vec4f scaling and export

TEST(Vec4Scaling, MultiplyAndDivideInPlace) {
    struct Case {
        float divisor;
        Vec4f expected;
        bool reported;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {2, Vec4f(1, 2, 3, 4), false},
        {-0.5f, Vec4f(-4, -8, -12, -16), false},
        {0, Vec4f(inf, inf, inf, inf), true},
    };
    for (const Case& c : cases) {
        WarnRecorder rec;
        Vec4f v(2, 4, 6, 8);
        v /= c.divisor;
        EXPECT_EQ(v, c.expected) << c.divisor;
        EXPECT_EQ(rec.failures(), c.reported ? Strings{"Divisor must be nonzero!"} : Strings{});
    }
    WarnRecorder rec;
    Vec4f v(2, 4, 6, 8);
    v /= std::nanf("");
    EXPECT_TRUE(std::isnan(v[0]));
    EXPECT_EQ(rec.failures(), Strings{}) << "a NaN divisor is not zero";
    v = Vec4f(1, -2, 3, 0.5f);
    v *= 4;
    EXPECT_EQ(v, Vec4f(4, -8, 12, 2));
}

TEST(GlOrder, WritesTheTransposeIntoTheSharedBuffer) {
    struct Case {
        std::vector<float> in;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {{0, 1, 2, 3}, {0, 2, 1, 3}},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8}, {0, 3, 6, 1, 4, 7, 2, 5, 8}},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
         {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15}},
    };
    const float* previous = nullptr;
    for (const Case& c : cases) {
        WarnRecorder rec;
        const float* out = gl_order(c.in.data(), static_cast<int>(c.in.size()));
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(std::vector<float>(out, out + c.in.size()), c.expected);
        EXPECT_EQ(rec.failures(), Strings{});
        if (previous != nullptr) {
            EXPECT_EQ(out, previous) << "one buffer serves every call";
        }
        previous = out;
    }
    const Mat4f m = translation(7, 8, 9);
    const float* out = gl_order(m.row(0), 16);
    EXPECT_EQ(out[12], 7.0f) << "the translation leads the last column";
    EXPECT_EQ(out[13], 8.0f);
    EXPECT_EQ(out[14], 9.0f);
}

TEST(GlOrder, OtherCountsAreAnImplementationError) {
    const float block[16] = {};
    for (int count : {0, 1, 5, 8, 15, 25}) {
        WarnRecorder rec;
        EXPECT_EQ(gl_order(block, count), nullptr) << count;
        EXPECT_EQ(rec.failures(), Strings{"Implementation error!"});
    }
}

}  // namespace
