#include "math/pseudo_inverse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/support/matrix_near.h"
#include "tests/support/warn_recorder.h"

namespace {

using J68 = Matrix<float, 6, 8>;
using P86 = Matrix<float, 8, 6>;

template <int R, int C>
float max_abs(const Matrix<float, R, C>& m) {
    float out = 0;
    for (int i = 0; i < R * C; ++i)
        out = std::max(out, std::fabs(m.data()[i]));
    return out;
}

// Random 6x8 matrix of the given rank (at most 6), entries of order one.
J68 random_of_rank(std::mt19937& gen, int rank) {
    std::uniform_real_distribution<float> u(-1, 1);
    J68 out(MatrixInit::zeros);
    for (int k = 0; k < rank; ++k) {
        float a[6], b[8];
        for (float& x : a)
            x = u(gen);
        for (float& x : b)
            x = u(gen);
        for (int r = 0; r < 6; ++r) {
            for (int c = 0; c < 8; ++c)
                out.at(r, c) += a[r] * b[c];
        }
    }
    return out;
}

// A Jacobian as the solver builds it: `rows` effector rows and `cols` degree-of-freedom
// columns in use, everything else exactly zero.
J68 random_in_use(std::mt19937& gen, int rows, int cols) {
    std::uniform_real_distribution<float> u(-2, 2);
    J68 out(MatrixInit::zeros);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c)
            out.at(r, c) = u(gen);
    }
    return out;
}

TEST(Svd, FactorsReassembleTheInputWithOrthonormalFactors) {
    std::mt19937 gen(11);
    for (int rank : {6, 4, 1}) {
        SCOPED_TRACE("rank " + std::to_string(rank));
        const J68 j = random_of_rank(gen, rank);
        Matrix<float, 6, 6> U;
        Matrix<float, 6, 1> s;
        Matrix<float, 8, 8> V;
        svd_6x8(j, U, s, V);

        for (int i = 0; i < 6; ++i) {
            EXPECT_GE(s[i], 0.0f);
            if (i > 0) {
                EXPECT_LE(s[i], s[i - 1]);
            }
        }
        EXPECT_GT(s[rank - 1], 1e-3f);
        if (rank < 6) {
            EXPECT_LT(s[rank], 1e-4f * s[0]);
        }

        J68 sigma(MatrixInit::zeros);
        for (int i = 0; i < 6; ++i)
            sigma.at(i, i) = s[i];
        EXPECT_TRUE(near(U * sigma * V.transposed(), j, 1e-5f));
        EXPECT_TRUE(near(U * U.transposed(), Matrix<float, 6, 6>(MatrixInit::identity), 1e-5f));
        EXPECT_TRUE(near(V * V.transposed(), Matrix<float, 8, 8>(MatrixInit::identity), 1e-5f));
    }
}

// The four Penrose conditions. Rank deficiency is built the way the solver's Jacobian has it:
// effector rows and degree-of-freedom columns not in use are exactly zero, which decomposes to
// exactly zero singular values. The tolerance scales with |J| * |P|, a bound on the condition.
TEST(PseudoInverse, SatisfiesThePenroseIdentities) {
    std::mt19937 gen(2014);
    struct Case {
        int rows, cols;  // in use
        int trials;
    };
    const Case cases[] = {{6, 8, 20}, {6, 6, 5}, {5, 8, 5}, {3, 8, 5}, {3, 7, 10},
                          {3, 4, 5},  {3, 3, 5}, {2, 5, 5}, {1, 3, 5}, {1, 1, 5}};
    for (const Case& c : cases) {
        for (int t = 0; t < c.trials; ++t) {
            SCOPED_TRACE(std::to_string(c.rows) + " rows, " + std::to_string(c.cols) +
                         " columns, trial " + std::to_string(t));
            const J68 j = random_in_use(gen, c.rows, c.cols);
            WarnRecorder rec;
            const P86 p = pseudo_inverse(j);
            EXPECT_EQ(rec.failures(), std::vector<std::string>{});

            const float tol = 1e-5f * max_abs(j) * max_abs(p);
            EXPECT_TRUE(near(j * p * j, j, tol * max_abs(j)));
            EXPECT_TRUE(near(p * j * p, p, tol * max_abs(p)));
            EXPECT_TRUE(near(j * p, (j * p).transposed(), tol));
            EXPECT_TRUE(near(p * j, (p * j).transposed(), tol));

            // Full row rank on the rows in use: J * P is the identity there.
            Matrix<float, 6, 6> used(MatrixInit::zeros);
            for (int i = 0; i < c.rows; ++i)
                used.at(i, i) = 1;
            EXPECT_TRUE(near(j * p, used, tol));

            // Unused rows of J and unused columns of J contribute nothing at all.
            for (int r = 0; r < 8; ++r) {
                for (int col = 0; col < 6; ++col) {
                    if (r >= c.cols || col >= c.rows) {
                        ASSERT_EQ(p.at(r, col), 0.0f) << "P(" << r << ", " << col << ")";
                    }
                }
            }
        }
    }
}

TEST(PseudoInverse, WorkedCases) {
    struct Case {
        const char* name;
        J68 j;
        P86 expected;
    };
    J68 single(MatrixInit::zeros);
    single.at(0, 0) = 2;
    P86 single_inv(MatrixInit::zeros);
    single_inv.at(0, 0) = 0.5f;
    J68 selector(MatrixInit::zeros);
    for (int i = 0; i < 3; ++i)
        selector.at(i, i) = 1;
    J68 diagonal(MatrixInit::zeros);
    P86 diagonal_inv(MatrixInit::zeros);
    const float d[6] = {4, -2, 0.5f, 8, 1, 0.25f};
    for (int i = 0; i < 6; ++i) {
        diagonal.at(i, i) = d[i];
        diagonal_inv.at(i, i) = 1 / d[i];
    }
    const Case cases[] = {
        {"all zero", J68(MatrixInit::zeros), P86(MatrixInit::zeros)},
        {"single entry", single, single_inv},
        {"selector", selector, selector.transposed()},
        {"diagonal", diagonal, diagonal_inv},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(near(pseudo_inverse(c.j), c.expected, 1e-6f));
    }
    const P86 zero = pseudo_inverse(J68(MatrixInit::zeros));
    for (int i = 0; i < 48; ++i)
        EXPECT_EQ(zero.data()[i], 0.0f) << "no NaN from 1/0";
}

TEST(PseudoInverse, SmallSingularValuesAreInvertedInFull) {
    // Near a straight arm a singular value is tiny but not zero: it is not thresholded away.
    J68 j(MatrixInit::zeros);
    j.at(0, 0) = 1;
    j.at(1, 1) = 1e-6f;
    const P86 p = pseudo_inverse(j);
    EXPECT_NEAR(p.at(0, 0), 1.0f, 1e-6f);
    EXPECT_NEAR(p.at(1, 1), 1e6f, 1.0f);
}

// The decomposition refuses non-finite input; the bad value must still reach every entry of
// the result rather than leaving stale factors behind.
TEST(PseudoInverse, NonFiniteInputPropagates) {
    const float inf = std::numeric_limits<float>::infinity();
    for (float bad : {std::nanf(""), inf, -inf}) {
        SCOPED_TRACE(bad);
        std::mt19937 gen(3);
        J68 j = random_in_use(gen, 3, 7);
        j.at(2, 3) = bad;
        const P86 p = pseudo_inverse(j);
        for (int i = 0; i < 48; ++i)
            ASSERT_TRUE(std::isnan(p.data()[i])) << i;

        Matrix<float, 6, 6> U(MatrixInit::zeros);
        Matrix<float, 6, 1> s(MatrixInit::zeros);
        Matrix<float, 8, 8> V(MatrixInit::zeros);
        svd_6x8(j, U, s, V);
        EXPECT_TRUE(std::isnan(U.at(5, 5)) && std::isnan(s[5]) && std::isnan(V.at(7, 7)));
    }
}

}  // namespace
