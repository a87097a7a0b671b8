#include "DbfBytes.h"
#include "support/ErrorText.h"
#include "support/TestSupport.h"
#include "tables/DbfTable.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>

namespace tmq {
namespace {

using namespace test;

const std::string kTable = dbfBytes(0x03, {{"PROF", 'C', 4}}, {" ABCD"});

std::vector<std::string> namesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::ranges::sort(names);
    return names;
}

class DbfTableLetterCase : public testing::TestWithParam<const char*> {
protected:
    TempDir dir;
};

TEST_P(DbfTableLetterCase, TableIsOpenedWhateverTheCaseOfItsName)
{
    writeFile(dir / GetParam(), kTable);
    for (const char* asked : {"SOLUC", "soluc", "Soluc.dbf", "SOLUC.DBF"}) {
        SCOPED_TRACE(asked);
        DbfTable table;
        table.open(dir.path(), asked, Access::Exclusive);
        EXPECT_EQ(table.path(), dir / GetParam());
        EXPECT_EQ(table.asText("PROF"), "ABCD");
    }
}

TEST_P(DbfTableLetterCase, TableAndIndexAreRemovedWhateverTheCaseOfTheirNames)
{
    std::string index = std::string(GetParam()).replace(6, 3, "mdx");
    writeFile(dir / GetParam(), kTable);
    writeFile(dir / index, "index");
    writeFile(dir / "SOLUCX.DBF", kTable);
    writeFile(dir / "OTRA.MDX", "index");
    DbfTable::removeFiles(dir.path(), "SOLUC");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"OTRA.MDX", "SOLUCX.DBF"}));
}

INSTANTIATE_TEST_SUITE_P(DbfTable, DbfTableLetterCase,
                         testing::Values("SOLUC.DBF", "soluc.dbf", "Soluc.Dbf", "soluc.DBF"));

TEST(DbfTableRemove, NothingToRemoveIsNoFault)
{
    TempDir dir;
    DbfTable::removeFiles(dir.path(), "SOLUC");
    DbfTable::removeFiles(dir / "missing", "SOLUC.DBF");
}

#ifndef _WIN32

// Another program: a child process holding a lock of one kind on a file
// until the object goes.
class LockingProcess {
public:
    enum class Kind { Flock, Fcntl };

    LockingProcess(const std::filesystem::path& file, Kind kind)
    {
        int ready[2];
        if (pipe(ready) != 0 || pipe(release_) != 0)
            throw std::runtime_error("pipe");
        child_ = fork();
        if (child_ == 0) {
            close(ready[0]);
            close(release_[1]);
            const int fd = open(file.c_str(), O_RDWR);
            struct flock range {};
            range.l_type = F_WRLCK;
            range.l_whence = SEEK_SET;
            const bool locked = fd >= 0 && (kind == Kind::Flock ? flock(fd, LOCK_EX) == 0
                                                                : fcntl(fd, F_SETLKW, &range) == 0);
            const char answer = locked ? 'y' : 'n';
            if (write(ready[1], &answer, 1) != 1)
                _exit(1);
            char ignored;
            while (read(release_[0], &ignored, 1) > 0) {
            }
            _exit(0);
        }
        close(ready[1]);
        close(release_[0]);
        char answer = 'n';
        if (read(ready[0], &answer, 1) != 1 || answer != 'y')
            ADD_FAILURE() << "the child process could not lock " << file;
        close(ready[0]);
    }

    ~LockingProcess()
    {
        close(release_[1]);
        int status = 0;
        waitpid(child_, &status, 0);
    }

    LockingProcess(const LockingProcess&) = delete;
    LockingProcess& operator=(const LockingProcess&) = delete;

private:
    pid_t child_ = -1;
    int release_[2] = {-1, -1};
};

// Whether another process can take a lock of `kind` on `file` right now.
bool otherProcessCanLock(const std::filesystem::path& file, LockingProcess::Kind kind)
{
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(file.c_str(), O_RDWR);
        struct flock range {};
        range.l_type = F_RDLCK;
        range.l_whence = SEEK_SET;
        const bool locked =
            fd >= 0 && (kind == LockingProcess::Kind::Flock ? flock(fd, LOCK_SH | LOCK_NB) == 0
                                                            : fcntl(fd, F_SETLK, &range) == 0);
        _exit(locked ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class DbfTableLocks : public testing::TestWithParam<LockingProcess::Kind> {
protected:
    TempDir dir;
    std::filesystem::path file = dir / "SOLUC.DBF";

    void SetUp() override { writeFile(file, kTable); }
};

TEST_P(DbfTableLocks, ExclusiveOpenFailsWhileAnotherProgramHoldsALock)
{
    {
        LockingProcess other(file, GetParam());
        DbfTable table("wwTableSoluc");
        EXPECT_EQ(errorText([&] { table.open(dir.path(), "SOLUC", Access::Exclusive); }),
                  "wwTableSoluc: La tabla '" + file.string() + "' está en uso por otro programa");
        EXPECT_FALSE(table.isOpen());
        table.open(dir.path(), "SOLUC", Access::Shared);
        EXPECT_EQ(table.asText("PROF"), "ABCD");
    }
    DbfTable table;
    table.open(dir.path(), "SOLUC", Access::Exclusive);
    EXPECT_TRUE(table.isOpen());
}

TEST_P(DbfTableLocks, RemovalIsRefusedWhileAnotherProgramHoldsALock)
{
    const std::filesystem::path index = dir / "soluc.mdx";
    writeFile(index, "index");
    {
        LockingProcess other(file, GetParam());
        EXPECT_EQ(errorText([&] { DbfTable::removeFiles(dir.path(), "SOLUC"); }),
                  "No se puede borrar la tabla '" + file.string() +
                      "': está en uso por otro programa");
        EXPECT_TRUE(std::filesystem::exists(file));
        EXPECT_TRUE(std::filesystem::exists(index));
    }
    {
        LockingProcess other(index, GetParam());
        EXPECT_EQ(errorText([&] { DbfTable::removeFiles(dir.path(), "SOLUC"); }),
                  "No se puede borrar el índice '" + index.string() +
                      "': está en uso por otro programa");
        EXPECT_FALSE(std::filesystem::exists(file)) << "the table goes first, by itself";
    }
    DbfTable::removeFiles(dir.path(), "SOLUC");
    EXPECT_FALSE(std::filesystem::exists(index));
}

TEST_P(DbfTableLocks, ExclusiveOpenIsSeenByOtherProgramsUntilClosed)
{
    DbfTable table;
    table.open(dir.path(), "SOLUC", Access::Exclusive);
    EXPECT_FALSE(otherProcessCanLock(file, GetParam()));
    table.close();
    EXPECT_TRUE(otherProcessCanLock(file, GetParam()));

    table.open(dir.path(), "SOLUC", Access::Shared);
    EXPECT_TRUE(otherProcessCanLock(file, GetParam()));
}

INSTANTIATE_TEST_SUITE_P(DbfTable, DbfTableLocks,
                         testing::Values(LockingProcess::Kind::Flock, LockingProcess::Kind::Fcntl),
                         [](const testing::TestParamInfo<LockingProcess::Kind>& param) {
                             return param.param == LockingProcess::Kind::Flock ? "flock" : "fcntl";
                         });

// A table the user may only read is locked for reading and refuses new rows.
// Run in a child process without privileges, which file permissions bind.
TEST(DbfTableReadOnly, ReadOnlyTableOpensExclusivelyForReading)
{
    TempDir dir;
    const std::filesystem::path file = dir / "SOLUC.DBF";
    writeFile(file, kTable);
    using std::filesystem::perms;
    std::filesystem::permissions(dir.path(),
                                 perms::owner_all | perms::others_read | perms::others_exec);
    std::filesystem::permissions(file, perms::owner_read | perms::others_read);

    const pid_t child = fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(2);
        try {
            DbfTable table;
            table.open(dir.path(), "SOLUC", Access::Exclusive);
            if (table.asText("PROF") != "ABCD" ||
                otherProcessCanLock(file, LockingProcess::Kind::Flock))
                _exit(3);
            table.append();
            try {
                table.post();
            } catch (const Error& error) {
                _exit(std::string(error.what()).find("solo para lectura") != std::string::npos ? 0
                                                                                               : 4);
            }
            _exit(5);
        } catch (...) {
            _exit(6);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

#else

// Windows: another program holds a table open for writing, sharing only reading.
TEST(DbfTableSharing, ExclusiveOpenAndRemovalFailWhileAnotherProgramHoldsTheTable)
{
    TempDir dir;
    const std::filesystem::path file = dir / "SOLUC.DBF";
    writeFile(file, kTable);
    {
        HeldByAnotherProcess other(file);
        DbfTable table("wwTableSoluc");
        EXPECT_EQ(errorText([&] { table.open(dir.path(), "SOLUC", Access::Exclusive); }),
                  "wwTableSoluc: La tabla '" + file.string() + "' está en uso por otro programa");
        table.open(dir.path(), "SOLUC", Access::Shared);
        EXPECT_EQ(table.asText("PROF"), "ABCD");
        table.close();
        EXPECT_EQ(errorText([&] { DbfTable::removeFiles(dir.path(), "SOLUC"); }),
                  "No se puede borrar la tabla '" + file.string() +
                      "': está en uso por otro programa");
    }
    DbfTable table;
    table.open(dir.path(), "SOLUC", Access::Exclusive);
    EXPECT_TRUE(table.isOpen());
}

TEST(DbfTableSharing, ExclusiveOpenKeepsOtherWritersOutUntilClosed)
{
    TempDir dir;
    const std::filesystem::path file = dir / "SOLUC.DBF";
    writeFile(file, kTable);
    DbfTable table;
    table.open(dir.path(), "SOLUC", Access::Exclusive);
    EXPECT_EQ(table.asText("PROF"), "ABCD");
    EXPECT_THROW(HeldByAnotherProcess other(file), std::runtime_error);
    HeldByAnotherProcess reader(file, true);
    table.close();
    EXPECT_NO_THROW(HeldByAnotherProcess other(file));
}

TEST(DbfTableLocks, LinuxLockKindsAndPermissions)
{
    GTEST_SKIP() << "flock()/fcntl() locks, fork() and file permissions for an unprivileged "
                    "user exist on Linux only";
}

#endif

} // namespace
} // namespace tmq
