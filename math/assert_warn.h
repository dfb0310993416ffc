#pragma once

// The one precondition check of every library.
//
// In the program it has no effect: it does not look at the condition, prints
// nothing and returns, and execution always goes on. The caller still
// evaluates every argument. Tests may install a reporter to observe which
// check fired with which message; no reporter is installed by default.

using AssertWarnReporter = void (*)(bool condition, const char* format, const char* message);

void assert_warn(bool condition, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Installs the reporter (nullptr removes it) and returns the previous one.
AssertWarnReporter set_assert_warn_reporter(AssertWarnReporter reporter);
