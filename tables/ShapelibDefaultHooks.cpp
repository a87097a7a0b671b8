// shapelib's own default file hooks, for the build that compiles only its
// table code (Windows): files are opened by their UTF-8 names through the
// wide-character functions. Every table this program opens goes through
// ShapelibScope's hooks, which start from these.
#ifdef TMQ_SHAPELIB_DEFAULT_HOOKS

#include "base/PlatformFiles.h"
#include "tables/ShapelibHookShapes.h"

#include <shapefil.h>

#include <cstdio>
#include <cstdlib>

namespace {

SAFile openNamed(const char* name, const char* access)
{
    return reinterpret_cast<SAFile>(tmq::openFile(tmq::pathFromUtf8(name), access));
}

std::FILE* stream(SAFile file)
{
    return reinterpret_cast<std::FILE*>(file);
}

SAOffset readFrom(void* buffer, SAOffset size, SAOffset count, SAFile file)
{
    return static_cast<SAOffset>(std::fread(buffer, size, count, stream(file)));
}

SAOffset writeTo(const void* buffer, SAOffset size, SAOffset count, SAFile file)
{
    return static_cast<SAOffset>(std::fwrite(buffer, size, count, stream(file)));
}

SAOffset seekIn(SAFile file, SAOffset offset, int whence)
{
    return static_cast<SAOffset>(::fseeko64(stream(file), static_cast<long long>(offset), whence));
}

SAOffset tellIn(SAFile file)
{
    return static_cast<SAOffset>(::ftello64(stream(file)));
}

int flushStream(SAFile file)
{
    return std::fflush(stream(file));
}

int closeStream(SAFile file)
{
    return std::fclose(stream(file));
}

int removeNamed(const char* name)
{
    std::error_code error;
    return std::filesystem::remove(tmq::pathFromUtf8(name), error) ? 0 : -1;
}

void printMessage(const char* message)
{
    std::fprintf(stderr, "%s\n", message);
}

double parseNumber(const char* text)
{
    return std::atof(text);
}

} // namespace

extern "C" void SASetupDefaultHooks(SAHooks* hooks)
{
    tmq::shapelib::setOpenHook<openNamed>(*hooks);
    hooks->FRead = readFrom;
    tmq::shapelib::setWriteHook<writeTo>(*hooks);
    hooks->FSeek = seekIn;
    hooks->FTell = tellIn;
    hooks->FFlush = flushStream;
    hooks->FClose = closeStream;
    tmq::shapelib::setRemoveHook<removeNamed>(*hooks);
    hooks->Error = printMessage;
    hooks->Atof = parseNumber;
}

#endif
