#include "tables/ShapelibHooks.h"

#include "core/Error.h"
#include "core/PlatformFiles.h"
#include "tables/FileLock.h"
#include "tables/FileNames.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <utility>

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

SAFile openFile(const char* name, const char* access)
{
    // Other files (the code page file shapelib looks for) are opened as named;
    // their absence is no failure.
    if (t_tableFile == nullptr || !isTableFile(name))
        return reinterpret_cast<SAFile>(tmq::openFile(pathFromUtf8(name), access));
    std::FILE* file = FileLock::openHeld(*t_tableFile, access);
    if (file == nullptr)
        file = tmq::openFile(*t_tableFile, access);
    if (file == nullptr)
        t_openError = errno;
    return reinterpret_cast<SAFile>(file);
}

// The first system error of a write, flush or close: the reason to give
// rather than shapelib's own words.
void noteWriteError()
{
    if (t_writeError == 0)
        t_writeError = errno != 0 ? errno : EIO;
}

SAOffset writeFile(void* data, SAOffset size, SAOffset count, SAFile file)
{
    errno = 0;
    const auto written =
        static_cast<SAOffset>(std::fwrite(data, size, count, reinterpret_cast<std::FILE*>(file)));
    if (written < count)
        noteWriteError();
    return written;
}

// A seek flushes what stdio holds, so a full disk may show here first.
SAOffset seekFile(SAFile file, SAOffset offset, int whence)
{
    static const SAHooks defaults = [] {
        SAHooks hooks;
        SASetupDefaultHooks(&hooks);
        return hooks;
    }();
    errno = 0;
    const SAOffset result = defaults.FSeek(file, offset, whence);
    if (result != 0)
        noteWriteError();
    return result;
}

int flushFile(SAFile file)
{
    errno = 0;
    const int result = std::fflush(reinterpret_cast<std::FILE*>(file));
    if (result != 0) {
        noteWriteError();
        note(systemReason(t_writeError));
    }
    return result;
}

int closeFile(SAFile file)
{
    errno = 0;
    const int result = std::fclose(reinterpret_cast<std::FILE*>(file));
    if (result != 0) {
        noteWriteError();
        note(systemReason(t_writeError));
    }
    return result;
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
    hooks.FWrite = writeFile;
    hooks.FSeek = seekFile;
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
