// Standard output captured for the life of one object, and released on every
// path out of it, exceptions included, so a failing test cannot leave the
// capture open for the tests after it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

class CapturedStdout {
public:
    CapturedStdout() { testing::internal::CaptureStdout(); }
    ~CapturedStdout() {
        if (!taken_) {
            testing::internal::GetCapturedStdout();
        }
    }
    CapturedStdout(const CapturedStdout&) = delete;
    CapturedStdout& operator=(const CapturedStdout&) = delete;

    // What was printed since the capture began; ends the capture.
    std::string take() {
        taken_ = true;
        return testing::internal::GetCapturedStdout();
    }

private:
    bool taken_ = false;
};

// What `call` returns, with whatever it prints dropped.
template <class Call>
auto quietly(Call&& call) {
    CapturedStdout capture;
    return std::forward<Call>(call)();
}
