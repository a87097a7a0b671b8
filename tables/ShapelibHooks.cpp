#include "tables/ShapelibHooks.h"

#include "base/Error.h"
#include "base/FileLock.h"
#include "base/PlatformFiles.h"
#include "tables/FileNames.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace tmq {

namespace {

thread_local const std::filesystem::path* t_tableFile = nullptr;
thread_local std::string t_messages;
thread_local int t_openError = 0;
thread_local int t_writeError = 0;

void note(std::string_view message)
{
    if (!t_messages.empty())
        t_messages += "; ";
    t_messages += message;
}

bool isTableFile(std::string_view name)
{
    return name.size() >= 4 && sameNameIgnoringCase(name.substr(name.size() - 4), ".dbf");
}

// A table file seen through one window of bytes kept in memory. shapelib
// seeks before every record it reads or writes, and a seek on a C stream
// sends the stream's buffer to the system each time; here consecutive
// records, and the end-of-file mark shapelib writes after each one, stay in
// the window until it is full, the file is flushed or shapelib reads
// elsewhere.
class WindowedFile {
public:
    explicit WindowedFile(std::FILE* file) : file_(file) {}

    SAOffset read(char* into, SAOffset bytes)
    {
        if (!covers(position_, bytes) && !(bytes < kReadSize && fill()))
            return readDirectly(into, bytes);
        const SAOffset available = std::min<SAOffset>(bytes, start_ + length_ - position_);
        std::memcpy(into, window_.data() + (position_ - start_), available);
        position_ += available;
        return available;
    }

    SAOffset write(const char* from, SAOffset bytes)
    {
        const bool continues = position_ >= start_ && position_ <= start_ + length_ &&
                               position_ - start_ + bytes <= kWindowSize;
        if (!continues) {
            if (!flushWindow())
                return 0;
            start_ = position_;
            length_ = 0;
            if (bytes > kWindowSize)
                return writeDirectly(from, bytes);
        }
        if (window_.size() < kWindowSize)
            window_.resize(kWindowSize);
        std::memcpy(window_.data() + (position_ - start_), from, bytes);
        position_ += bytes;
        length_ = std::max(length_, position_ - start_);
        dirty_ = true;
        return bytes;
    }

    bool seek(SAOffset offset, int whence)
    {
        if (whence == SEEK_SET) {
            position_ = offset;
        } else if (whence == SEEK_CUR) {
            position_ += offset;
        } else {
            if (!flushWindow() || std::fseek(file_, 0, SEEK_END) != 0)
                return false;
            position_ = static_cast<SAOffset>(std::ftell(file_)) + offset;
        }
        return true;
    }

    SAOffset tell() const { return position_; }

    bool flush() { return flushWindow() && std::fflush(file_) == 0; }

    // Closes the file; false when what was written could not all be stored.
    bool close()
    {
        const bool flushed = flushWindow();
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        return flushed && closed;
    }

private:
    static constexpr SAOffset kWindowSize = 1 << 20;
    // Reads fill no more than a C stream's buffer would on Linux: what lies
    // further on is read anew when it is needed, as another program may have
    // changed it.
    static constexpr SAOffset kReadSize = 8192;

    bool covers(SAOffset at, SAOffset bytes) const
    {
        return at >= start_ && at + bytes <= start_ + length_;
    }

    bool flushWindow()
    {
        if (!dirty_)
            return true;
        dirty_ = false;
        return std::fseek(file_, static_cast<long>(start_), SEEK_SET) == 0 &&
               std::fwrite(window_.data(), 1, length_, file_) == length_;
    }

    // Loads the window from the current position; false when nothing is there.
    bool fill()
    {
        if (!flushWindow() || std::fseek(file_, static_cast<long>(position_), SEEK_SET) != 0)
            return false;
        window_.resize(kWindowSize);
        start_ = position_;
        length_ = static_cast<SAOffset>(std::fread(window_.data(), 1, kReadSize, file_));
        return length_ > 0;
    }

    SAOffset readDirectly(char* into, SAOffset bytes)
    {
        if (!flushWindow() || std::fseek(file_, static_cast<long>(position_), SEEK_SET) != 0)
            return 0;
        const auto done = static_cast<SAOffset>(std::fread(into, 1, bytes, file_));
        position_ += done;
        return done;
    }

    SAOffset writeDirectly(const char* from, SAOffset bytes)
    {
        if (std::fseek(file_, static_cast<long>(position_), SEEK_SET) != 0)
            return 0;
        const auto done = static_cast<SAOffset>(std::fwrite(from, 1, bytes, file_));
        position_ += done;
        start_ = position_;
        return done;
    }

    std::FILE* file_;
    std::vector<char> window_;
    SAOffset start_ = 0;    // file offset of the window's first byte
    SAOffset length_ = 0;   // bytes of the window that hold the file's content
    SAOffset position_ = 0; // where shapelib reads or writes next
    bool dirty_ = false;    // the window holds bytes not yet written
};

WindowedFile* windowed(SAFile file)
{
    return reinterpret_cast<WindowedFile*>(file);
}

SAFile openFile(const char* name, const char* access)
{
    // Other files (the code page file shapelib looks for) are opened as named;
    // their absence is no failure.
    std::FILE* file = nullptr;
    if (t_tableFile == nullptr || !isTableFile(name)) {
        file = tmq::openFile(pathFromUtf8(name), access);
    } else {
        file = FileLock::openHeld(*t_tableFile, access);
        if (file == nullptr)
            file = tmq::openFile(*t_tableFile, access);
        if (file == nullptr)
            t_openError = errno;
    }
    if (file == nullptr)
        return nullptr;
    return reinterpret_cast<SAFile>(new WindowedFile(file));
}

SAOffset readFile(void* into, SAOffset size, SAOffset count, SAFile file)
{
    if (size == 0)
        return 0;
    return windowed(file)->read(static_cast<char*>(into), size * count) / size;
}

SAOffset tellFile(SAFile file)
{
    return windowed(file)->tell();
}

// The first system error of a write, flush or close: the reason to give
// rather than shapelib's own words.
void noteWriteError()
{
    if (t_writeError == 0)
        t_writeError = errno != 0 ? errno : EIO;
}

SAOffset writeFile(void* from, SAOffset size, SAOffset count, SAFile file)
{
    if (size == 0)
        return 0;
    errno = 0;
    const SAOffset done = windowed(file)->write(static_cast<const char*>(from), size * count);
    if (done < size * count)
        noteWriteError();
    return done / size;
}

// Moving away from the window writes it out, so a full disk may show here.
SAOffset seekFile(SAFile file, SAOffset offset, int whence)
{
    errno = 0;
    if (windowed(file)->seek(offset, whence))
        return 0;
    noteWriteError();
    return static_cast<SAOffset>(-1);
}

int flushFile(SAFile file)
{
    errno = 0;
    if (windowed(file)->flush())
        return 0;
    noteWriteError();
    note(systemReason(t_writeError));
    return EOF;
}

int closeFile(SAFile file)
{
    errno = 0;
    const bool closed = windowed(file)->close();
    delete windowed(file);
    if (closed)
        return 0;
    noteWriteError();
    note(systemReason(t_writeError));
    return EOF;
}

// shapelib's messages about table files, in Spanish; N stands for the first
// number of the message.
std::string spanishMessage(std::string_view message)
{
    static constexpr std::pair<std::string_view, std::string_view> kKnown[] = {
        {"Failure writing DBF record", "no se pudo escribir el registro N"},
        {"Failure seeking to position before writing DBF record",
         "no se pudo llegar al registro N para escribirlo"},
        {"fseek(", "no se pudo llegar a la posición N del archivo"},
        {"fread(", "no se pudo leer en la posición N del archivo"},
        {"DBFReadAttribute(", "no se pudo leer el registro N"},
        {"Cannot add field", "la tabla no admite más campos"},
    };
    const std::size_t digits = message.find_first_of("0123456789");
    const std::string_view number =
        digits == std::string_view::npos
            ? std::string_view()
            : message.substr(digits, message.find_first_not_of("0123456789", digits) - digits);
    for (const auto& [english, spanish] : kKnown) {
        if (!message.starts_with(english))
            continue;
        std::string text(spanish);
        if (const std::size_t at = text.find('N'); at != std::string::npos)
            text.replace(at, 1, number.empty() ? std::string("?") : std::string(number));
        return text;
    }
    return "la biblioteca de tablas informa de un fallo: \"" + std::string(message) + "\"";
}

void collectMessage(const char* message)
{
    note(spanishMessage(message));
}

double parseNumber(const char* text)
{
    std::string_view digits(text);
    const std::size_t start = digits.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return 0.0;
    digits.remove_prefix(start);
    if (digits.starts_with('+'))
        digits.remove_prefix(1);
    double value = 0.0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

SAHooks makeHooks()
{
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = openFile;
    hooks.FRead = readFile;
    hooks.FWrite = writeFile;
    hooks.FSeek = seekFile;
    hooks.FTell = tellFile;
    hooks.FFlush = flushFile;
    hooks.FClose = closeFile;
    hooks.Error = collectMessage;
    hooks.Atof = parseNumber;
    return hooks;
}

} // namespace

ShapelibScope::ShapelibScope(const std::filesystem::path& tableFile) : outer_(t_tableFile)
{
    t_tableFile = &tableFile;
    t_messages.clear();
    t_openError = 0;
    t_writeError = 0;
}

ShapelibScope::~ShapelibScope()
{
    t_tableFile = outer_;
}

SAHooks* ShapelibScope::hooks()
{
    static SAHooks hooks = makeHooks();
    return &hooks;
}

bool ShapelibScope::failed() const
{
    return !t_messages.empty() || t_writeError != 0;
}

std::string ShapelibScope::reason() const
{
    if (t_openError != 0)
        return systemReason(t_openError);
    if (t_writeError != 0)
        return systemReason(t_writeError);
    if (!t_messages.empty())
        return t_messages;
    return "formato no reconocido";
}

int ShapelibScope::openError() const
{
    return t_openError;
}

} // namespace tmq
