#pragma once

#include <string>
#include <vector>

#include "math/assert_warn.h"

// Records every assert_warn call made while it lives, failed or not.
class WarnRecorder {
public:
    struct Report {
        bool condition;
        std::string format;
        std::string message;
    };

    WarnRecorder() {
        previous_ = set_assert_warn_reporter(&WarnRecorder::record);
        active() = this;
    }
    ~WarnRecorder() {
        set_assert_warn_reporter(previous_);
        active() = nullptr;
    }
    WarnRecorder(const WarnRecorder&) = delete;
    WarnRecorder& operator=(const WarnRecorder&) = delete;

    // The messages of the checks whose condition was false, in order.
    std::vector<std::string> failures() const {
        std::vector<std::string> out;
        for (const Report& r : reports) {
            if (!r.condition)
                out.push_back(r.message);
        }
        return out;
    }

    std::vector<Report> reports;

private:
    static WarnRecorder*& active() {
        static WarnRecorder* recorder = nullptr;
        return recorder;
    }
    static void record(bool condition, const char* format, const char* message) {
        if (active() != nullptr)
            active()->reports.push_back({condition, format, message});
    }

    AssertWarnReporter previous_ = nullptr;
};
