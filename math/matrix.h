#pragma once

#include <cmath>
#include <cstdlib>
#include <type_traits>

#include "math/assert_warn.h"

// Fill mode of a freshly constructed matrix.
enum class MatrixInit { none = 0, identity = 1, zeros = 2, ones = 3 };

namespace matrix_detail {
// Keeps a parameter out of template deduction, so `2 * v` works for a float vector.
template <typename T>
struct NonDeduced {
    using type = T;
};

template <typename... Args>
constexpr bool all_arithmetic = (std::is_arithmetic_v<Args> && ...);
}  // namespace matrix_detail

// Fixed-size R x C value matrix, stored row by row with nothing else; vectors are one column.
//
// Indices that fail their check are reported through assert_warn and never touch memory outside
// the matrix: a mutable access then yields a scratch element (or scratch row) shared by all
// matrices of this type, zeroed on every such access, so the read gives 0 and the write is lost;
// a const access yields 0 (or a zeroed scratch row). Row operations with a bad index do nothing.
template <typename T, int R, int C>
class Matrix {
    static_assert(R > 0 && C > 0, "Matrix dimensions must be positive");

public:
    static constexpr int rows = R;
    static constexpr int cols = C;
    using value_type = T;

    // Elements unset, like MatrixInit::none; `Matrix{}` zero-fills.
    Matrix() = default;

    explicit Matrix(MatrixInit init) {
        switch (init) {
            case MatrixInit::none:
                break;
            case MatrixInit::identity:
                assert_warn(R == C, "Cannot make non-square identity matrix");
                for (int r = 0; r < R; ++r) {
                    for (int c = 0; c < C; ++c)
                        data_[r * C + c] = r == c ? T(1) : T(0);
                }
                break;
            case MatrixInit::zeros:
                fill(T(0));
                break;
            case MatrixInit::ones:
                fill(T(1));
                break;
            default:
                assert_warn(false, "Implementation error!");
                break;
        }
    }

    // Exactly R*C values, row by row, of any arithmetic types.
    template <typename... Args, typename = std::enable_if_t<sizeof...(Args) == R * C &&
                                                            matrix_detail::all_arithmetic<Args...>>>
    Matrix(Args... values) : data_{static_cast<T>(values)...} {}

    // Size conversion: copies the top-left overlap; elements outside it are zero.
    template <int R2, int C2, typename = std::enable_if_t<R2 != R || C2 != C>>
    Matrix(const Matrix<T, R2, C2>& other) {
        for (int r = 0; r < R; ++r) {
            for (int c = 0; c < C; ++c) {
                data_[r * C + c] = (r < R2 && c < C2) ? other.data()[r * C2 + c] : T(0);
            }
        }
    }

    // Copies the block [row_begin, row_end) x [column_begin, column_end) of a source matrix.
    // Ranges that do not fit are reported; the reads go through the source's checked access, so
    // each one that falls outside the source is reported as well and reads as zero.
    template <int SR, int SC>
    Matrix(const Matrix<T, SR, SC>& source, int column_begin, int column_end, int row_begin,
           int row_end) {
        assert_warn(column_begin >= 0 && column_end >= 0 && row_begin >= 0 && row_end >= 0,
                    "Indices must be nonnegative in matrix copy");
        assert_warn(row_end - row_begin == R, "Dimension mismatch in matrix copy");
        assert_warn(column_end - column_begin == C, "Dimension mismatch in matrix copy");
        for (int r = 0; r < R; ++r) {
            for (int c = 0; c < C; ++c)
                data_[r * C + c] = source.at(row_begin + r, column_begin + c);
        }
    }

    // The whole element block, row by row, without index checks.
    T* data() { return data_; }
    const T* data() const { return data_; }

    T& at(int r, int c) {
        const bool row_ok = check_row(r, "Matrix row index %d out of bounds!");
        const bool col_ok = check_col(c);
        if (!row_ok || !col_ok)
            return scratch_row()[0];
        return data_[r * C + c];
    }
    T at(int r, int c) const {
        const bool row_ok = check_row(r, "Matrix row index %d out of bounds!");
        const bool col_ok = check_col(c);
        if (!row_ok || !col_ok)
            return T(0);
        return data_[r * C + c];
    }

    // Start of row r (its C elements are contiguous); row(0) is the whole element block.
    T* row(int r) {
        if (!check_row(r, "Matrix row index %d out of bounds!"))
            return scratch_row();
        return data_ + r * C;
    }
    const T* row(int r) const {
        if (!check_row(r, "Matrix row index %d out of bounds!"))
            return scratch_row();
        return data_ + r * C;
    }

    T& operator[](int i) {
        static_assert(C == 1, "Single-index access is for one-column matrices");
        if (!check_index(i))
            return scratch_row()[0];
        return data_[i];
    }
    T operator[](int i) const {
        static_assert(C == 1, "Single-index access is for one-column matrices");
        if (!check_index(i))
            return T(0);
        return data_[i];
    }

    // Sum of squares, element 0 first, in the element type.
    T length_squared() const {
        T sum = data_[0] * data_[0];
        for (int i = 1; i < R * C; ++i)
            sum += data_[i] * data_[i];
        return sum;
    }
    T length() const { return std::sqrt(length_squared()); }

    // Unit vector in the same direction; the zero vector stays zero.
    Matrix normalized() const {
        const T len = length();
        Matrix out;
        if (len != T(0)) {
            const T inv = T(1) / len;
            for (int i = 0; i < R * C; ++i)
                out.data_[i] = inv * data_[i];
        } else {
            out.fill(T(0));
        }
        return out;
    }

    Matrix<T, C, R> transposed() const {
        Matrix<T, C, R> out;
        for (int r = 0; r < R; ++r) {
            for (int c = 0; c < C; ++c)
                out.data()[c * R + r] = data_[r * C + c];
        }
        return out;
    }

    void swap_rows(int i, int j) {
        const bool i_ok = check_row(i, "Matrix row index %d out of bounds in swap!");
        const bool j_ok = check_row(j, "Matrix row index %d out of bounds in swap!");
        if (!i_ok || !j_ok || i == j)
            return;
        for (int c = 0; c < C; ++c) {
            const T t = data_[i * C + c];
            data_[i * C + c] = data_[j * C + c];
            data_[j * C + c] = t;
        }
    }

    void scale_row(int i, T s) {
        if (!check_row(i, "Matrix row index %d out of bounds in scale!"))
            return;
        for (int c = 0; c < C; ++c)
            data_[i * C + c] *= s;
    }

    // Row destination += s * row source.
    void scale_add_row(T s, int source, int destination) {
        const bool src_ok =
            check_row(source, "Matrix source row index %d out of bounds in scale-add!");
        const bool dst_ok =
            check_row(destination, "Matrix destination row index %d out of bounds in scale-add!");
        if (!src_ok || !dst_ok)
            return;
        for (int c = 0; c < C; ++c)
            data_[destination * C + c] += s * data_[source * C + c];
    }

    // Forward elimination with partial pivoting; exact zero tests, ties keep the topmost row.
    void row_echelon() {
        int r = 0;
        for (int c = 0; c < C; ++c) {
            T best = T(0);
            int best_row = r;
            for (int i = r; i < R; ++i) {
                const T v = std::abs(data_[i * C + c]);
                if (v > best) {
                    best = v;
                    best_row = i;
                }
            }
            if (best > T(0)) {
                if (best_row != r)
                    swap_rows(best_row, r);
                const T pivot = data_[r * C + c];
                for (int q = r + 1; q < R; ++q) {
                    const T e = data_[q * C + c];
                    if (e != T(0)) {
                        scale_add_row(-e / pivot, r, q);
                        data_[q * C + c] = T(0);
                    }
                }
                if (++r == R)
                    return;
            }
        }
    }

    // Row echelon form followed by Gauss-Jordan reduction to unit pivots.
    void reduced_row_echelon() {
        row_echelon();
        int c = 0;
        for (int r = 0; r < R; ++r) {
            while (data_[r * C + c] == T(0)) {
                if (++c == C)
                    return;
            }
            scale_row(r, T(1) / data_[r * C + c]);
            for (int i = 0; i < R; ++i) {
                const T e = data_[i * C + c];
                if (i != r && e != T(0))
                    scale_add_row(-e, r, i);
            }
        }
    }

    // Inverse by reducing [A | I]; a singular matrix is not detected and yields whatever the
    // reduction leaves in the right half.
    Matrix inverse() const {
        static_assert(R == C, "Only square matrices have an inverse");
        Matrix<T, R, 2 * C> work = augment(*this, Matrix(MatrixInit::identity));
        work.reduced_row_echelon();
        return Matrix(work, C, 2 * C, 0, R);
    }

    Matrix& operator*=(T s) {
        for (int i = 0; i < R * C; ++i)
            data_[i] *= s;
        return *this;
    }
    // A zero divisor is reported and the division still happens, giving inf or NaN.
    Matrix& operator/=(T s) {
        assert_warn(s != T(0) || s != s, "Divisor must be nonzero!");
        return *this *= T(1) / s;
    }
    Matrix& operator+=(const Matrix& o) {
        for (int i = 0; i < R * C; ++i)
            data_[i] += o.data_[i];
        return *this;
    }
    Matrix& operator-=(const Matrix& o) {
        for (int i = 0; i < R * C; ++i)
            data_[i] -= o.data_[i];
        return *this;
    }

    friend Matrix operator+(Matrix a, const Matrix& b) { return a += b; }
    friend Matrix operator-(Matrix a, const Matrix& b) { return a -= b; }
    friend Matrix operator-(const Matrix& a) {
        Matrix out;
        for (int i = 0; i < R * C; ++i)
            out.data_[i] = -a.data_[i];
        return out;
    }
    friend Matrix operator*(typename matrix_detail::NonDeduced<T>::type s, const Matrix& v) {
        Matrix out;
        for (int i = 0; i < R * C; ++i)
            out.data_[i] = s * v.data_[i];
        return out;
    }
    friend Matrix operator*(const Matrix& v, typename matrix_detail::NonDeduced<T>::type s) {
        return s * v;
    }
    friend bool operator==(const Matrix& a, const Matrix& b) {
        for (int i = 0; i < R * C; ++i) {
            if (!(a.data_[i] == b.data_[i]))
                return false;
        }
        return true;
    }
    friend bool operator!=(const Matrix& a, const Matrix& b) { return !(a == b); }

private:
    void fill(T v) {
        for (int i = 0; i < R * C; ++i)
            data_[i] = v;
    }

    static bool check_row(int r, const char* message) {
        const bool ok = r >= 0 && r < R;
        assert_warn(ok, message, r);
        return ok;
    }
    static bool check_col(int c) {
        const bool ok = c >= 0 && c < C;
        assert_warn(ok, "Matrix column index %d out of bounds!", c);
        return ok;
    }
    static bool check_index(int i) {
        const bool ok = i >= 0 && i < R;
        assert_warn(ok, "Matrix access index %d out of bounds!", i);
        return ok;
    }

    // Target of accesses that failed their check; zeroed each time it is handed out.
    static T* scratch_row() {
        static T scratch[C];
        for (int c = 0; c < C; ++c)
            scratch[c] = T(0);
        return scratch;
    }

    T data_[R * C];
};

using Vec2i = Matrix<int, 2, 1>;
using Vec3i = Matrix<int, 3, 1>;
using Vec4i = Matrix<int, 4, 1>;
using Vec3f = Matrix<float, 3, 1>;
using Vec4f = Matrix<float, 4, 1>;
using Mat3f = Matrix<float, 3, 3>;
using Mat4f = Matrix<float, 4, 4>;

static_assert(sizeof(Vec3f) == 12, "Vec3f must be exactly three packed floats");
static_assert(sizeof(Vec4f) == 16, "Vec4f must be exactly four packed floats");
static_assert(sizeof(Mat4f) == 64, "Mat4f must be exactly sixteen packed floats");
static_assert(std::is_standard_layout_v<Vec3f> && std::is_trivially_copyable_v<Vec3f>,
              "vectors are copied into GPU buffers byte for byte");

// Product with each element summed over the inner index in increasing order, first term first.
template <typename T, int R, int K, int C>
Matrix<T, R, C> operator*(const Matrix<T, R, K>& a, const Matrix<T, K, C>& b) {
    Matrix<T, R, C> out;
    const T* ad = a.data();
    const T* bd = b.data();
    for (int i = 0; i < R; ++i) {
        for (int j = 0; j < C; ++j) {
            T s = ad[i * K] * bd[j];
            for (int k = 1; k < K; ++k)
                s += ad[i * K + k] * bd[k * C + j];
            out.data()[i * C + j] = s;
        }
    }
    return out;
}

// Side-by-side concatenation [A | B].
template <typename T, int R, int C1, int C2>
Matrix<T, R, C1 + C2> augment(const Matrix<T, R, C1>& a, const Matrix<T, R, C2>& b) {
    Matrix<T, R, C1 + C2> out;
    for (int r = 0; r < R; ++r) {
        for (int c = 0; c < C1; ++c)
            out.data()[r * (C1 + C2) + c] = a.data()[r * C1 + c];
        for (int c = 0; c < C2; ++c)
            out.data()[r * (C1 + C2) + C1 + c] = b.data()[r * C2 + c];
    }
    return out;
}

template <typename T>
Matrix<T, 3, 1> cross(const Matrix<T, 3, 1>& a, const Matrix<T, 3, 1>& b) {
    return Matrix<T, 3, 1>(a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                           a[0] * b[1] - a[1] * b[0]);
}

template <typename T, int R>
T dot(const Matrix<T, R, 1>& a, const Matrix<T, R, 1>& b) {
    T s = a[0] * b[0];
    for (int i = 1; i < R; ++i)
        s += a[i] * b[i];
    return s;
}

// With high < low the ordered tests still give an answer (low for x below low).
inline float clamp(float x, float low, float high) {
    assert_warn(high >= low, "Upper bound must not be lower than the lower bound!");
    if (low > x)
        return low;
    if (x > high)
        return high;
    return x;
}

// Adds 0.5 and truncates toward zero, so negative halves round toward zero (-1.5 gives -1).
inline int round_half_up(float x) {
    return static_cast<int>(x + 0.5f);
}

inline float deg_to_rad(float a) {
    constexpr float k = static_cast<float>(3.14159265358979323846 / 180.0);
    return a * k;
}
inline float rad_to_deg(float a) {
    constexpr float k = static_cast<float>(180.0 / 3.14159265358979323846);
    return a * k;
}

inline Mat4f identity4() {
    return Mat4f(MatrixInit::identity);
}

inline Mat4f translation(float x, float y, float z) {
    return Mat4f(1, 0, 0, x, 0, 1, 0, y, 0, 0, 1, z, 0, 0, 0, 1);
}

// Counter-clockwise about the axis seen from its tip; the axis is used as given, unnormalised.
inline Mat4f rotation_radians(const Vec3f& axis, float angle) {
    const float x = axis[0], y = axis[1], z = axis[2];
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float t = 1.0f - c;
    return Mat4f(t * x * x + c, t * x * y - z * s, t * x * z + y * s, 0,  //
                 t * x * y + z * s, t * y * y + c, t * y * z - x * s, 0,  //
                 t * x * z - y * s, t * y * z + x * s, t * z * z + c, 0,  //
                 0, 0, 0, 1);
}

inline Mat4f rotation_degrees(const Vec3f& axis, float angle) {
    return rotation_radians(axis, deg_to_rad(angle));
}

// View matrix of a camera at eye looking at center; up need not be orthogonal to the view.
inline Mat4f look_at(const Vec3f& eye, const Vec3f& center, const Vec3f& up) {
    const Vec3f f = (center - eye).normalized();
    const Vec3f s = cross(f, up).normalized();
    const Vec3f u = cross(s, f);
    const Mat4f m(s[0], s[1], s[2], 0,     //
                  u[0], u[1], u[2], 0,     //
                  -f[0], -f[1], -f[2], 0,  //
                  0, 0, 0, 1);
    return m * translation(-eye[0], -eye[1], -eye[2]);
}

// OpenGL-style projection onto the clip cube, camera looking down -z; bounds are not checked.
inline Mat4f make_projection(bool orthographic, float l, float r, float b, float t, float n,
                             float f) {
    const float w = r - l;
    const float h = t - b;
    const float d = f - n;
    if (orthographic) {
        return Mat4f(2 / w, 0, 0, -(r + l) / w,   //
                     0, 2 / h, 0, -(t + b) / h,   //
                     0, 0, -2 / d, -(f + n) / d,  //
                     0, 0, 0, 1);
    }
    return Mat4f(2 * n / w, 0, (r + l) / w, 0,            //
                 0, 2 * n / h, (t + b) / h, 0,            //
                 0, 0, -(f + n) / d, ((-2 * f) * n) / d,  //
                 0, 0, -1, 0);
}

// Column-order copy of a square 2x2, 3x3 or 4x4 element block for glUniformMatrix*fv.
// Returns one buffer shared by all calls (overwritten by the next); nullptr for other counts.
inline const float* gl_order(const float* elements, int count) {
    static float buffer[16];
    int n = 0;
    switch (count) {
        case 4:
            n = 2;
            break;
        case 9:
            n = 3;
            break;
        case 16:
            n = 4;
            break;
        default:
            assert_warn(false, "Implementation error!");
            return nullptr;
    }
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c)
            buffer[c * n + r] = elements[r * n + c];
    }
    return buffer;
}
