#include "export/Sessions.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tmq {
namespace {

TEST(Sessions, RunOfOnesWithTheExcessWrittenAsANumber)
{
    const std::vector<std::pair<double, std::string>> cases{
        {1.0, "1"},
        {1.0167, "11"},
        {3.0, "111"},
        {3.3333, "1111"},
        {13.0, std::string(13, '1')},
        {13.0167, std::string(14, '1')},
        {14.0, std::string(14, '1')},
        {20.0, "7" + std::string(13, '1')},
        {23.0, "10" + std::string(13, '1')},
    };
    for (const auto& [hours, text] : cases)
        EXPECT_EQ(sessionsText(hours), text) << hours;
}

} // namespace
} // namespace tmq
