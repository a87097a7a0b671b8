// Speed and peak memory of the export and the import on a large school.
#include "export/ExportCommand.h"
#include "import/ImportCommand.h"
#include "tables/DbfTable.h"
#include "xml/XmlDocument.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct SchoolSize {
    int subjects;
    int teachers;
    int rooms;
    int groups;
    int assignments;
    int lessonsPerTeacher;
};

std::string item(std::initializer_list<std::string> values)
{
    std::string xml = "<listasal>";
    for (const std::string& v : values)
        xml += "<salida>" + v + "</salida>";
    return xml + "</listasal>\n";
}

std::string schoolDocument(const SchoolSize& size)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO><SALIDAS>\n";
    xml += "<listasal seq=\"MATERIAS\">";
    for (int i = 0; i < size.subjects; ++i)
        xml += item({"G" + std::to_string(i), "M" + std::to_string(i), "LARGO", "Matemáticas Ñ"});
    xml += "</listasal>\n<listasal seq=\"PROFESORES\">";
    for (int i = 0; i < size.teachers; ++i)
        xml += item(
            {std::to_string(10000 + i), "01/09/2020", "Núñez, María", "P" + std::to_string(i)});
    xml += "</listasal>\n<listasal seq=\"AULAS\">";
    for (int i = 0; i < size.rooms; ++i)
        xml += item({"D" + std::to_string(i), "A" + std::to_string(i), "Aula", "P"});
    xml += "</listasal>\n<listasal seq=\"GRUPOS\">";
    for (int i = 0; i < size.groups; ++i)
        xml += item({"U" + std::to_string(i), "G" + std::to_string(i), "M", "ESO", "1", "A"});
    xml += "</listasal>\n<listasal seq=\"ASIGNATURAS\">";
    for (int i = 0; i < size.assignments; ++i)
        xml += item({"M" + std::to_string(i % size.subjects), "G" + std::to_string(i % size.groups),
                     "A" + std::to_string(i % size.rooms), "M", "ESO", "1", "A", "180"});
    xml += "</listasal>\n<listasal seq=\"TRAMOS\">";
    int code = 1;
    for (char day : std::string("LMXJV"))
        for (int hour = 1; hour <= 8; ++hour)
            xml += "<listasal><salida dato=\"CODIGO_QUELMAR\">" + std::to_string(code++) +
                   "</salida><salida dato=\"NOMBRE\">" + day + std::to_string(hour) +
                   "</salida></listasal>\n";
    xml += "</listasal>\n</SALIDAS></SERVICIO>\n";
    return xml;
}

void writeSoluc(const fs::path& folder, const SchoolSize& size)
{
    tmq::DbfTable soluc;
    soluc.create(folder, "SOLUC",
                 {{"PROF", tmq::FieldType::Text, 4},
                  {"ASIG", tmq::FieldType::Text, 4},
                  {"DIA", tmq::FieldType::Integer, 0},
                  {"HORA", tmq::FieldType::Integer, 0},
                  {"AULA", tmq::FieldType::Text, 4},
                  {"CODGRUPO", tmq::FieldType::Text, 4}});
    soluc.open(folder, "SOLUC");
    for (int lesson = 0; lesson < size.lessonsPerTeacher; ++lesson) {
        for (int t = 0; t < size.teachers; ++t) {
            soluc.append();
            soluc.setText("PROF", "P" + std::to_string(t));
            soluc.setText("ASIG", "M" + std::to_string((t + lesson) % size.subjects));
            soluc.setFloat("DIA", 1 + lesson % 5);
            soluc.setFloat("HORA", 1 + (lesson / 5) % 8);
            soluc.setText("AULA", "A" + std::to_string(t % size.rooms));
            soluc.setText("CODGRUPO", "G" + std::to_string(lesson % size.groups));
            soluc.post();
        }
    }
    soluc.close();
}

// A folder with the school's document, removed at the end.
struct Workspace {
    fs::path folder;
    std::string document;

    explicit Workspace(const SchoolSize& size)
    {
        std::string pattern = (fs::temp_directory_path() / "tmq-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        document = (folder / "centro.xml").string();
        std::ofstream(document) << schoolDocument(size);
    }
    ~Workspace() { fs::remove_all(folder); }
};

void reportPeakMemory(benchmark::State& state)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

SchoolSize sizeFor(const benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    return {200 * scale, 60 * scale, 40 * scale, 30 * scale, 400 * scale, 25};
}

void BM_Export(benchmark::State& state)
{
    const SchoolSize size = sizeFor(state);
    Workspace work(size);
    for (auto _ : state) {
        auto doc = tmq::XmlDocument::load(work.document);
        tmq::exportDocument(*doc, work.folder);
    }
    state.counters["items"] =
        size.subjects + size.teachers + size.rooms + size.groups + size.assignments + 40;
    reportPeakMemory(state);
}

void BM_Import(benchmark::State& state)
{
    const SchoolSize size = sizeFor(state);
    Workspace work(size);
    tmq::exportDocument(*tmq::XmlDocument::load(work.document), work.folder);
    writeSoluc(work.folder, size);
    const std::string result = (work.folder / "ResultadoMirtavcentro.xml").string();
    for (auto _ : state) {
        auto doc = tmq::XmlDocument::load(work.document);
        tmq::importTimetable(*doc, work.folder, work.document, result);
    }
    state.counters["lessons"] = size.teachers * size.lessonsPerTeacher;
    reportPeakMemory(state);
}

BENCHMARK(BM_Export)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
