#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/warn_recorder.h"

namespace gl_test {

// A misuse of the library and the assert_warn failures it must report, in order.
struct Misuse {
    const char* what;
    std::function<void()> act;
    std::vector<std::string> reports;
};

// Acts out each misuse under its own recorder and expects exactly its reports, then drops the
// GL errors the misuses left so that later checks start clean.
template <std::size_t N>
void expect_reports(const Misuse (&misuses)[N]) {
    for (const Misuse& m : misuses) {
        WarnRecorder rec;
        m.act();
        EXPECT_EQ(rec.failures(), m.reports) << m.what;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace gl_test
