#include "assert_warn.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {
AssertWarnReporter installed_reporter = nullptr;
}

void assert_warn(bool condition, const char* format, ...) {
    AssertWarnReporter reporter = installed_reporter;
    if (reporter == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    va_list sizing;
    va_copy(sizing, args);
    int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    std::vector<char> message(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
    if (length > 0) {
        std::vsnprintf(message.data(), message.size(), format, args);
    }
    va_end(args);
    reporter(condition, format, message.data());
}

AssertWarnReporter set_assert_warn_reporter(AssertWarnReporter reporter) {
    AssertWarnReporter previous = installed_reporter;
    installed_reporter = reporter;
    return previous;
}
