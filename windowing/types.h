#pragma once

namespace Orv {

struct Size {
    int width;
    int height;
};

struct Point {
    int x;
    int y;
};

inline bool operator==(const Size& a, const Size& b) {
    return a.width == b.width && a.height == b.height;
}
inline bool operator==(const Point& a, const Point& b) {
    return a.x == b.x && a.y == b.y;
}

}  // namespace Orv
