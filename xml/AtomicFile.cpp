#include "xml/AtomicFile.h"

#include "base/Error.h"
#include "base/PlatformFiles.h"

#include <memory>

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <atomic>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#endif

namespace tmq {

namespace {

#ifdef _WIN32

// A temporary file beside the result, opened for this program alone and
// removed unless it was put in place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& finalPath)
    {
        static std::atomic<unsigned> counter{0};
        const std::filesystem::path target = pathFromUtf8(finalPath);
        for (int attempt = 0; attempt < 100 && handle_ == INVALID_HANDLE_VALUE; ++attempt) {
            std::filesystem::path candidate = target;
            candidate += L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                         std::to_wstring(counter++) + L".tmp";
            handle_ = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle_ != INVALID_HANDLE_VALUE)
                name_ = candidate;
            else
                error_ = lastError();
            if (handle_ == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
                break;
        }
    }
    ~TemporaryFile()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
        if (!name_.empty())
            ::DeleteFileW(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    bool write(std::string_view content)
    {
        while (!content.empty()) {
            const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1 << 20));
            DWORD written = 0;
            if (!::WriteFile(handle_, content.data(), piece, &written, nullptr))
                return fail();
            content.remove_prefix(written);
        }
        return true;
    }

    // Windows has no call that starts the writing without waiting for it.
    void startWriteBack() {}

    bool flushAndClose()
    {
        const bool flushed = ::FlushFileBuffers(handle_) != 0;
        if (!flushed)
            error_ = lastError();
        const bool closed = ::CloseHandle(handle_) != 0;
        if (flushed && !closed)
            error_ = lastError();
        handle_ = INVALID_HANDLE_VALUE;
        return flushed && closed;
    }

    bool moveTo(const std::string& finalPath)
    {
        error_ = replaceFile(name_, pathFromUtf8(finalPath));
        if (error_)
            return false;
        name_.clear();
        return true;
    }

    std::error_code error() const { return error_; }

private:
    static std::error_code lastError()
    {
        return std::error_code(static_cast<int>(::GetLastError()), std::system_category());
    }
    bool fail()
    {
        error_ = lastError();
        return false;
    }

    std::filesystem::path name_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::error_code error_;
};

#else

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

    // Only a hint: fsync in flushAndClose() reports what fails.
    void startWriteBack() { ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE); }

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
        // Also makes the rename durable.
        if (const std::error_code error = replaceFile(name_, finalPath)) {
            errno = error.value();
            return false;
        }
        name_.clear();
        return true;
    }

private:
    std::string name_;
    int fd_ = -1;
};

#endif

} // namespace

// The temporary file of the platform and what is still to be written to it.
struct AtomicFileWriter::Impl {
    explicit Impl(const std::string& path) : file(path) {}
    TemporaryFile file;
    std::string pending; // small pieces, gathered into large writes
    bool finished = false;
    bool onDisk = false;
};

// Small pieces are gathered into large writes; large ones go straight out.
constexpr std::size_t kPieceSize = 1 << 20;
constexpr std::size_t kDirectSize = 1 << 16;

AtomicFileWriter::AtomicFileWriter(const std::string& path)
    : path_(path), impl_(std::make_unique<Impl>(path))
{
    if (!impl_->file.isOpen())
        fail();
}

AtomicFileWriter::~AtomicFileWriter() = default;

void AtomicFileWriter::fail() const
{
#ifdef _WIN32
    const std::string reason = systemReason(impl_->file.error());
#else
    const std::string reason = systemReason(errno);
#endif
    throw Error("No se puede guardar el archivo '" + path_ + "': " + reason);
}

void AtomicFileWriter::write(std::string_view content)
{
    std::string& pending = impl_->pending;
    if (content.size() >= kDirectSize) {
        if (!impl_->file.write(pending) || !impl_->file.write(content))
            fail();
        pending.clear();
        return;
    }
    pending += content;
    if (pending.size() >= kPieceSize) {
        if (!impl_->file.write(pending))
            fail();
        pending.clear();
    }
}

void AtomicFileWriter::finish()
{
    if (impl_->finished)
        return;
    TemporaryFile& file = impl_->file;
    bool done = file.write(impl_->pending);
#ifndef _WIN32
    done = done && file.setOrdinaryMode();
#endif
    if (!done)
        fail();
    impl_->pending.clear();
    file.startWriteBack();
    impl_->finished = true;
}

void AtomicFileWriter::syncToDisk()
{
    finish();
    if (impl_->onDisk)
        return;
    if (!impl_->file.flushAndClose())
        fail();
    impl_->onDisk = true;
}

void AtomicFileWriter::commit()
{
    syncToDisk();
    if (!impl_->file.moveTo(path_))
        fail();
}

void AtomicFileWriter::commitTogether(std::span<const std::unique_ptr<AtomicFileWriter>> files)
{
    for (const auto& file : files)
        file->syncToDisk();
    for (const auto& file : files)
        file->commit();
}

void writeFileAtomically(const std::string& path, std::string_view content)
{
    AtomicFileWriter file(path);
    file.write(content);
    file.commit();
}

namespace {

// Whether `name` is that of a temporary file for the file `target` names.
bool isTemporaryNameFor(const std::string& name, const std::string& target)
{
    if (name.size() <= target.size() + 1 || !name.starts_with(target + "."))
        return false;
    const std::string_view rest = std::string_view(name).substr(target.size() + 1);
#ifdef _WIN32
    // PROCESS-COUNTER.tmp
    if (rest.size() < 7 || !rest.ends_with(".tmp"))
        return false;
    return rest.substr(0, rest.size() - 4).find_first_not_of("0123456789-") == std::string::npos;
#else
    // tmq-XXXXXX
    return rest.size() == kTemporarySuffix.size() - 1 && rest.starts_with("tmq-");
#endif
}

} // namespace

void removeStaleTemporaryFiles(const std::string& path)
{
    const std::filesystem::path target = pathFromUtf8(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    const std::string targetName = pathToUtf8(target.filename());
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (isTemporaryNameFor(pathToUtf8(entry->path().filename()), targetName)) {
            std::error_code ignored;
            std::filesystem::remove(entry->path(), ignored);
        }
    }
}

} // namespace tmq
