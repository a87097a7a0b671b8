#include "window/AppTitle.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tmq {
namespace {

TEST(ApplicationTitle, DerivedFromTheExecutableName)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"C:\\Programas\\TransMirtavQuelmar.exe", "Transmirtavquelmar"},
        {"/usr/local/bin/TransMirtavQuelmar", "Transmirtavquelmar"},
        {"/usr/bin/TransMirtavQuelmar", "Transmirtavquelmar"},
        {"C:\\Programas\\TRANSMIRTAVQUELMAR.EXE", "Transmirtavquelmar"},
        {"/opt/Trans.Mirtav.Quelmar.exe", "Trans"},
        {"./tmq.2.3", "tmq"},
        {"/opt/tm/transMirtav.v2.exe", "transmirtav"},
        {"ÑANDÚ.exe", "Ñandú"},
        {"x", "x"},
        {".hidden", ""},
    };
    for (const auto& [path, title] : cases)
        EXPECT_EQ(applicationTitle(path), title) << path;
}

} // namespace
} // namespace tmq
