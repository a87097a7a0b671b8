#include "tables/ShapelibHooks.h"

#include "core/Error.h"
#include "core/PlatformFiles.h"
#include "tables/FileLock.h"
#include "tables/FileNames.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace tmq {

namespace {

thread_local const std::filesystem::path* t_tableFile = nullptr;
thread_local std::string t_messages;
thread_local int t_openError = 0;

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

int flushFile(SAFile file)
{
    const int result = std::fflush(reinterpret_cast<std::FILE*>(file));
    if (result != 0)
        note(systemReason(errno));
    return result;
}

int closeFile(SAFile file)
{
    const int result = std::fclose(reinterpret_cast<std::FILE*>(file));
    if (result != 0)
        note(systemReason(errno));
    return result;
}

void collectMessage(const char* message)
{
    note(message);
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
    return !t_messages.empty();
}

std::string ShapelibScope::reason() const
{
    if (t_openError != 0)
        return systemReason(t_openError);
    if (!t_messages.empty())
        return "shapelib informa \"" + t_messages + "\"";
    return "formato no reconocido";
}

int ShapelibScope::openError() const
{
    return t_openError;
}

} // namespace tmq
