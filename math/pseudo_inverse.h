#pragma once

#include "math/matrix.h"

// Full singular value decomposition J = U * diag(s) * V^T, with U 6x6, V 8x8 and the six
// singular values non-negative and in decreasing order (columns of U and V in the same order).
void svd_6x8(const Matrix<float, 6, 8>& J, Matrix<float, 6, 6>& U, Matrix<float, 6, 1>& s,
             Matrix<float, 8, 8>& V);

// Moore-Penrose pseudo-inverse V * Sigma^+T * U^T. Singular values that are exactly zero stay
// zero; all others are inverted in full, however small.
Matrix<float, 8, 6> pseudo_inverse(const Matrix<float, 6, 8>& J);
