#include "page/TimetablePage.h"

#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "page/HtmlText.h"
#include "page/PageWriters.h"
#include "page/SchoolHeading.h"
#include "tables/FileNames.h"
#include "xml/AtomicFile.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <system_error>

namespace tmq {

namespace {

// "10/12/2026 14:52", in local time.
std::string localDateTime(std::time_t time)
{
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%d/%m/%Y %H:%M", &local);
    return text;
}

// When SOLUC was last written; empty when that cannot be told.
std::string solucWritten(const std::filesystem::path& workingFolder)
{
    const auto soluc = findFileNamedLike(workingFolder, "SOLUC.DBF");
    if (!soluc)
        return {};
    std::error_code error;
    const auto written = std::filesystem::last_write_time(*soluc, error);
    if (error)
        return {};
    return localDateTime(std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(
            std::chrono::file_clock::to_sys(written))));
}

} // namespace

PageStamp makePageStamp(const std::filesystem::path& workingFolder,
                        const std::string& documentPath)
{
    PageStamp stamp;
    appendHtml(stamp.folder, pathToUtf8(workingFolder));
    stamp.solucWritten = solucWritten(workingFolder);
    stamp.made = localDateTime(std::time(nullptr));
    if (!documentPath.empty()) {
        const SchoolHeading school = readSchoolHeading(documentPath);
        appendHtml(stamp.school, school.name);
        appendHtml(stamp.schoolYear, school.year);
    }
    return stamp;
}

void writeTimetablePageSet(const TimetableView& view, const PageStamp& stamp,
                           const std::string& pagePath)
{
    const std::filesystem::path index = pathFromUtf8(pagePath);
    const PageSetNames names = PageSetNames::forIndex(pathToUtf8(index.filename()));
    const auto pathOf = [&index](const std::string& name) {
        return pathToUtf8(index.parent_path() / pathFromUtf8(name));
    };
    using Kind = TimetableView::Kind;
    const std::pair<std::string, std::function<void(const PageSink&)>> files[] = {
        {names.grids[0],
         [&](const PageSink& sink) { writeGridPage(view, stamp, names, Kind::Teacher, sink); }},
        {names.grids[1],
         [&](const PageSink& sink) { writeGridPage(view, stamp, names, Kind::Group, sink); }},
        {names.grids[2],
         [&](const PageSink& sink) { writeGridPage(view, stamp, names, Kind::Room, sink); }},
        {names.freeTeachers,
         [&](const PageSink& sink) { writeFreeTeachersPage(view, stamp, names, sink); }},
        {names.staff, [&](const PageSink& sink) { writeStaffPage(view, stamp, names, sink); }},
        {names.index, [&](const PageSink& sink) { writeIndexPage(view, stamp, names, sink); }}};
    // Renaming over a folder fails only once the files before it are in
    // place: such a name is refused before anything is written.
    for (const auto& file : files) {
        std::error_code error;
        if (std::filesystem::is_directory(pathFromUtf8(pathOf(file.first)), error))
            throw Error("No se puede guardar el archivo '" + pathOf(file.first) +
                        "': " + systemReason(EISDIR));
    }
    std::vector<std::unique_ptr<AtomicFileWriter>> written;
    for (const auto& [name, write] : files) {
        const std::string path = pathOf(name);
        removeStaleTemporaryFiles(path);
        auto& file = *written.emplace_back(std::make_unique<AtomicFileWriter>(path));
        write([&file](std::string_view piece) { file.write(piece); });
        file.finish();
    }
    AtomicFileWriter::commitTogether(written);
}

} // namespace tmq
