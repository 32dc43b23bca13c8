#pragma once
// The Failure that an action throws; when it throws none, a failure of the
// test that says `whenNone`.
#include "platform/failure.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace kastrell {

inline Failure failureOf(const std::function<void()>& action, const std::string& whenNone = "no failure") {
    try {
        action();
    } catch (const Failure& failure) {
        return failure;
    }
    ADD_FAILURE() << whenNone;
    return Failure(0, "", "");
}

}  // namespace kastrell
