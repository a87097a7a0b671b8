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

} // namespace

// A temporary file beside the result, removed unless it was put in place.
class AtomicFileWriter::TemporaryFile {
public:
    explicit TemporaryFile(const std::string& finalPath) : name_(finalPath + ".XXXXXX")
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

namespace {

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

// Small pieces are gathered into large writes; large ones go straight out.
constexpr std::size_t kPieceSize = 1 << 20;
constexpr std::size_t kDirectSize = 1 << 16;

AtomicFileWriter::AtomicFileWriter(const std::string& path)
    : path_(path), file_(std::make_unique<TemporaryFile>(path))
{
    if (!file_->isOpen())
        fail();
}

AtomicFileWriter::~AtomicFileWriter() = default;

void AtomicFileWriter::fail() const
{
    const int reason = errno;
    throw Error("No se puede guardar el archivo '" + path_ + "': " + systemReason(reason));
}

void AtomicFileWriter::write(std::string_view content)
{
    if (content.size() >= kDirectSize) {
        if (!file_->write(pending_) || !file_->write(content))
            fail();
        pending_.clear();
        return;
    }
    pending_ += content;
    if (pending_.size() >= kPieceSize) {
        if (!file_->write(pending_))
            fail();
        pending_.clear();
    }
}

void AtomicFileWriter::commit()
{
    const bool done = file_->write(pending_) && file_->setOrdinaryMode() &&
                      file_->flushAndClose() && file_->moveTo(path_);
    if (!done)
        fail();
    pending_.clear();
    syncFolderOf(path_);
}

void writeFileAtomically(const std::string& path, std::string_view content)
{
    AtomicFileWriter file(path);
    file.write(content);
    file.commit();
}

} // namespace tmq
