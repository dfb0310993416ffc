#include "math/pseudo_inverse.h"

#include <Eigen/Dense>
#include <limits>

void svd_6x8(const Matrix<float, 6, 8>& J, Matrix<float, 6, 6>& U, Matrix<float, 6, 1>& s,
             Matrix<float, 8, 8>& V) {
    Eigen::MatrixXf m(6, 8);
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 8; ++c)
            m(r, c) = J.data()[r * 8 + c];
    }
    Eigen::JacobiSVD<Eigen::MatrixXf> svd(m, Eigen::ComputeFullU | Eigen::ComputeFullV);
    if (svd.info() != Eigen::Success) {
        // Eigen gives up on NaN or infinite input and leaves its factors unwritten; NaN factors
        // carry the bad input on into every result instead of stale memory.
        const float nan = std::numeric_limits<float>::quiet_NaN();
        for (int i = 0; i < 36; ++i)
            U.data()[i] = nan;
        for (int i = 0; i < 64; ++i)
            V.data()[i] = nan;
        for (int i = 0; i < 6; ++i)
            s.data()[i] = nan;
        return;
    }
    const Eigen::MatrixXf& u = svd.matrixU();
    const Eigen::MatrixXf& v = svd.matrixV();
    const Eigen::VectorXf& values = svd.singularValues();
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 6; ++c)
            U.data()[r * 6 + c] = u(r, c);
    }
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c)
            V.data()[r * 8 + c] = v(r, c);
    }
    for (int i = 0; i < 6; ++i)
        s.data()[i] = values(i);
}

Matrix<float, 8, 6> pseudo_inverse(const Matrix<float, 6, 8>& J) {
    Matrix<float, 6, 6> U;
    Matrix<float, 6, 1> s;
    Matrix<float, 8, 8> V;
    svd_6x8(J, U, s, V);

    Matrix<float, 6, 8> sigma(MatrixInit::zeros);
    for (int i = 0; i < 6; ++i)
        sigma.data()[i * 8 + i] = s.data()[i];

    // Only exact zeros stay uninverted: the solver's unused rows and columns decompose to
    // exact zero singular values, while small genuine ones must still act in full.
    Matrix<float, 6, 8> sigma_plus;
    for (int i = 0; i < 6 * 8; ++i) {
        const float x = sigma.data()[i];
        sigma_plus.data()[i] = x == 0.0f ? 0.0f : 1.0f / x;
    }

    const Matrix<float, 8, 6> a = V * sigma_plus.transposed();
    return a * U.transposed();
}
