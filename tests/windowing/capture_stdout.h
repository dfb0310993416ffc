#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

// Collects what is written to file descriptor 1 while it lives.
class StdoutCapture {
public:
    StdoutCapture() {
        std::fflush(stdout);
        file_ = std::tmpfile();
        saved_ = dup(1);
        dup2(fileno(file_), 1);
    }
    ~StdoutCapture() { restore(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Stops capturing and returns everything written meanwhile.
    std::string text() {
        restore();
        std::string out;
        std::rewind(file_);
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0)
            out.append(buffer, n);
        return out;
    }

private:
    void restore() {
        if (saved_ < 0)
            return;
        std::fflush(stdout);
        dup2(saved_, 1);
        close(saved_);
        saved_ = -1;
    }

    std::FILE* file_ = nullptr;
    int saved_ = -1;
};
