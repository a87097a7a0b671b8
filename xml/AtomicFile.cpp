#include "xml/AtomicFile.h"

#include "core/Error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tmq {

namespace {

// The process's umask, read without changing it (other threads may be
// creating files meanwhile).
mode_t currentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

// What follows a file's name in the names of its temporary files; mkstemp
// fills in the Xs.
constexpr std::string_view kTemporarySuffix = ".tmq-XXXXXX";

// A temporary file beside the result, removed unless it was put in place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& finalPath)
        : name_(finalPath + std::string(kTemporarySuffix))
    {
        fd_ = mkstemp(name_.data());
        if (fd_ < 0)
            name_.clear();
    }
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!name_.empty())
            ::unlink(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    bool write(std::string_view content)
    {
        while (!content.empty()) {
            const ssize_t written = ::write(fd_, content.data(), content.size());
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            content.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    // Gives the file the permissions of one created the ordinary way.
    bool setOrdinaryMode() { return ::fchmod(fd_, 0666 & ~currentUmask()) == 0; }

    bool flushAndClose()
    {
        const bool synced = ::fsync(fd_) == 0;
        const int savedErrno = errno;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!synced)
            errno = savedErrno;
        return synced && closed;
    }

    bool moveTo(const std::string& finalPath)
    {
        if (::rename(name_.c_str(), finalPath.c_str()) != 0)
            return false;
        name_.clear();
        return true;
    }

private:
    std::string name_;
    int fd_ = -1;
};

// Makes the rename itself durable; a failure here loses nothing already
// written, so it is not reported.
void syncFolderOf(const std::string& path)
{
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void removeStaleTemporaryFiles(const std::string& path)
{
    const std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    const std::string stem = target.filename().string() + ".tmq-";
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() == stem.size() + kTemporarySuffix.size() - 5 && name.starts_with(stem)) {
            std::error_code ignored;
            std::filesystem::remove(entry->path(), ignored);
        }
    }
}

void writeFileAtomically(const std::string& path, std::string_view content)
{
    TemporaryFile file(path);
    const bool done = file.isOpen() && file.write(content) && file.setOrdinaryMode() &&
                      file.flushAndClose() && file.moveTo(path);
    if (!done) {
        const int reason = errno;
        throw Error("No se puede guardar el archivo '" + path + "': " + systemReason(reason));
    }
    syncFolderOf(path);
}

} // namespace tmq
