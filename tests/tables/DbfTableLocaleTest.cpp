#include "support/TestSupport.h"
#include "tables/DbfTable.h"
#include "tables/ShapelibHooks.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#ifndef _WIN32

namespace tmq {
namespace {

using test::TempDir;

// Puts the C library in a Spanish locale, as the window program runs, where
// printf() writes "3,50". When the system has none installed, one is built
// in a temporary folder from the system's locale sources.
class SpanishLocale {
public:
    SpanishLocale() : saved_(std::setlocale(LC_ALL, nullptr))
    {
        if (use())
            return;
        const std::string command = "localedef -i es_ES -f UTF-8 '" +
                                    (built_ / "es_ES.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == -1)
            return;
        setenv("LOCPATH", built_.path().c_str(), 1);
        if (!use())
            unsetenv("LOCPATH");
    }
    ~SpanishLocale()
    {
        std::setlocale(LC_ALL, saved_.c_str());
        unsetenv("LOCPATH");
    }
    SpanishLocale(const SpanishLocale&) = delete;
    SpanishLocale& operator=(const SpanishLocale&) = delete;

    bool active() const { return active_; }

private:
    bool use()
    {
        if (std::setlocale(LC_ALL, "es_ES.UTF-8") == nullptr)
            return false;
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 3.5);
        active_ = std::string(text) == "3,5";
        return active_;
    }

    std::string saved_;
    TempDir built_;
    bool active_ = false;
};

class DbfTableSpanishLocale : public testing::Test {
protected:
    static void SetUpTestSuite() { locale = new SpanishLocale; }
    static void TearDownTestSuite()
    {
        delete locale;
        locale = nullptr;
    }

    void SetUp() override
    {
        if (!locale->active())
            GTEST_SKIP() << "no Spanish locale installed and none could be built with localedef";
    }

    static SpanishLocale* locale;
    TempDir dir;
};

SpanishLocale* DbfTableSpanishLocale::locale = nullptr;

TEST_F(DbfTableSpanishLocale, NumbersAreWrittenAndReadWithAFullStop)
{
    DbfTable table;
    table.create(dir.path(), "ASIGT", {{"HOURS", FieldType::Float}, {"TEXT", FieldType::Text, 8}});
    table.append();
    table.setFloat("HOURS", 3.5);
    table.setText("TEXT", "2.25");
    table.post();
    table.close();
    EXPECT_NE(test::readFile(dir / "ASIGT.DBF").find("3.5000"), std::string::npos);

    table.open(dir.path(), "ASIGT");
    EXPECT_EQ(table.asText("HOURS"), "3.5");
    EXPECT_EQ(table.asFloat("HOURS"), 3.5);
    EXPECT_EQ(table.asFloat("TEXT"), 2.25);
}

TEST_F(DbfTableSpanishLocale, ShapelibReadsNumbersThroughTheLocaleFreeHook)
{
    DbfTable table;
    table.create(dir.path(), "ASIGT", {{"HOURS", FieldType::Float}});
    table.append();
    table.setFloat("HOURS", 3.5);
    table.post();
    table.close();

    const std::filesystem::path file = dir / "ASIGT.DBF";
    ShapelibScope scope(file);
    DBFHandle handle = DBFOpenLL(file.c_str(), "rb", ShapelibScope::hooks());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(DBFReadDoubleAttribute(handle, 0, 0), 3.5);
    DBFClose(handle);
}

} // namespace
} // namespace tmq

#else

#include <gtest/gtest.h>

TEST(DbfTableSpanishLocale, BuiltLocale)
{
    GTEST_SKIP() << "builds a glibc locale with localedef, which exists on Linux only";
}

#endif
