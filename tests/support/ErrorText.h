#pragma once

#include "base/Error.h"

#include <gtest/gtest.h>

#include <string>

namespace tmq::test {

// The text of the tmq::Error that `action` throws; a test failure when it
// throws none.
template <typename Action> std::string errorText(Action&& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    ADD_FAILURE() << "no error was thrown";
    return {};
}

} // namespace tmq::test
