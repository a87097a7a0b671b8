// Speed and peak memory of the command-line export, import and timetable
// page (report) on generated districts, run side by side with what libxml2
// itself needs to read and write the same documents. Every group of
// programs runs in turns, round after round, so that a change in the
// machine's load falls on all alike; the median of the rounds is shown.
//
// BENCH_SCALE (default 0.25): 1 is a 51 MB document and 500 000 SOLUC rows;
// each size is run at half the scale too. BENCH_RUNS (default 5) rounds.
// BENCH_CLI: another build of the command-line program to measure.
// BENCH_DIR: a folder to work in, kept afterwards (for profiling).
// An argument "export", "import" or "python" runs that part alone.
#include "bench/ChildProcess.h"
#include "bench/SchoolGenerator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace tmq::bench;

namespace {

constexpr std::uint64_t kSeed = 20260901;

struct Command {
    std::string label;
    std::vector<std::vector<std::string>> steps; // run one after the other; costs add up
};

struct Measured {
    double seconds = 0; // median over the rounds
    long peakKiB = 0;   // highest over the rounds and steps
};

std::map<std::string, Measured> runRounds(const std::vector<Command>& commands, int rounds)
{
    std::map<std::string, std::vector<double>> times;
    std::map<std::string, Measured> result;
    for (int round = 0; round < rounds; ++round) {
        for (const Command& command : commands) {
            double total = 0;
            for (const auto& step : command.steps) {
                const RunCost cost = runChild(step);
                total += cost.seconds;
                result[command.label].peakKiB =
                    std::max(result[command.label].peakKiB, cost.peakKiB);
            }
            times[command.label].push_back(total);
        }
    }
    for (auto& [label, list] : times) {
        std::sort(list.begin(), list.end());
        result[label].seconds = list[list.size() / 2];
    }
    return result;
}

double envNumber(const char* name, double fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atof(text) : fallback;
}

std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

std::string megabytes(std::uintmax_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

void printRow(const std::string& label, const Measured& m, const Measured* base,
              const std::string& baseName, double units, const char* unitName)
{
    std::printf("  %-28s %8.3f s  %8.1f MiB", label.c_str(), m.seconds,
                static_cast<double>(m.peakKiB) / 1024.0);
    if (base != nullptr)
        std::printf("  %5.2fx time, %5.2fx memory of %s", m.seconds / base->seconds,
                    static_cast<double>(m.peakKiB) / static_cast<double>(base->peakKiB),
                    baseName.c_str());
    if (units > 0)
        std::printf("  %10.0f %s/s", units / m.seconds, unitName);
    std::printf("\n");
}

struct Bench {
    fs::path work;
    std::string cli;
    std::string saxFloor;
    std::string python;
    std::string pythonScript;
    int rounds = 5;

    void exportSize(double scale, DocumentEncoding encoding)
    {
        const DistrictSize size = DistrictSize::forScale(scale);
        const bool latin1 = encoding == DocumentEncoding::Latin1;
        const fs::path folder =
            work / ("export-" + std::to_string(size.schools) + (latin1 ? "-latin1" : ""));
        fs::create_directories(folder);
        const fs::path doc = folder / "distrito.xml";
        const auto items =
            static_cast<double>(writeDistrictDocument(doc, size.schools, encoding, kSeed));
        std::printf("\nExport, %s %s, %.0f catalogue items (%d schools)\n",
                    megabytes(fs::file_size(doc)).c_str(), latin1 ? "ISO-8859-1" : "UTF-8", items,
                    size.schools);
        const auto m =
            runRounds({{"ours: export", {{cli, "export", doc.string(), "--dir", folder.string()}}},
                       {"xmllint --noout", {{"xmllint", "--noout", doc.string()}}},
                       {"bare SAX2 parse", {{saxFloor, doc.string()}}}},
                      rounds);
        printRow("ours: export", m.at("ours: export"), &m.at("xmllint --noout"), "xmllint", items,
                 "items");
        printRow("", m.at("ours: export"), &m.at("bare SAX2 parse"), "bare SAX2", 0, "");
        printRow("xmllint --noout", m.at("xmllint --noout"), nullptr, "", items, "items");
        printRow("bare SAX2 parse", m.at("bare SAX2 parse"), nullptr, "", items, "items");
    }

    // A folder holding the import's document, the exported tables and SOLUC.
    fs::path prepareImport(const DistrictSize& size)
    {
        const fs::path folder = work / ("import-" + std::to_string(size.solucRows));
        fs::create_directories(folder);
        const fs::path doc = folder / "centro.xml";
        writeDistrictDocument(doc, schoolsForTeachers(size.solucTeachers), DocumentEncoding::Utf8,
                              kSeed);
        runChild({cli, "export", doc.string(), "--dir", folder.string()});
        writeSoluc(folder, size.solucTeachers, size.solucRows, kSeed);
        return folder;
    }

    double importSize(double scale)
    {
        const DistrictSize size = DistrictSize::forScale(scale);
        const fs::path folder = prepareImport(size);
        const std::string doc = (folder / "centro.xml").string();
        const std::string result = (folder / "ResultadoMirtavcentro.xml").string();
        runChild({cli, "import", doc, "--dir", folder.string()});
        std::printf("\nImport, %d SOLUC rows for %d teachers: document %s, result %s\n",
                    size.solucRows, size.solucTeachers, megabytes(fs::file_size(doc)).c_str(),
                    megabytes(fs::file_size(result)).c_str());
        const std::string page = (folder / "HorarioMirtavel.html").string();
        const auto m = runRounds(
            {{"ours: import", {{cli, "import", doc, "--dir", folder.string()}}},
             {"ours: report", {{cli, "report", "--dir", folder.string(), "--out", page}}},
             {"floor",
              {{"xmllint", "--noout", doc}, {"xmllint", "--output", "/dev/null", result}}}},
            rounds);
        const Measured resultRead = runRounds({{"r", {{"xmllint", "--noout", result}}}}, 1).at("r");
        printRow("ours: import", m.at("ours: import"), &m.at("floor"), "floor", size.solucRows,
                 "rows");
        printRow("", m.at("ours: import"), &resultRead, "xmllint --noout result", 0, "");
        // The page is a set of files named after its index.
        std::uintmax_t pageBytes = 0;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().starts_with("HorarioMirtavel"))
                pageBytes += entry.file_size();
        printRow("ours: report (pages " + megabytes(pageBytes) + ")", m.at("ours: report"),
                 &m.at("ours: import"), "import", size.solucRows, "rows");
        printRow("floor: xmllint doc + result", m.at("floor"), nullptr, "", size.solucRows, "rows");
        printRow("xmllint --noout result", resultRead, nullptr, "", 0, "");
        return m.at("ours: import").seconds;
    }

    void againstPython()
    {
        const DistrictSize size = DistrictSize::forScale(0.1);
        const fs::path folder = work / "python-export";
        fs::create_directories(folder);
        const fs::path doc = folder / "distrito.xml";
        writeDistrictDocument(doc, size.schools, DocumentEncoding::Utf8, kSeed);
        const fs::path theirs = folder / "python";
        fs::create_directories(theirs);
        std::printf("\nAgainst the Python script (lxml and a dBASE writer of its own)\n");
        auto m = runRounds(
            {{"ours", {{cli, "export", doc.string(), "--dir", folder.string()}}},
             {"python", {{python, pythonScript, "export", doc.string(), theirs.string()}}}},
            3);
        std::printf("  export of %s: ours %.3f s, python %.3f s: %.1fx faster\n",
                    megabytes(fs::file_size(doc)).c_str(), m.at("ours").seconds,
                    m.at("python").seconds, m.at("python").seconds / m.at("ours").seconds);

        const fs::path importFolder = prepareImport(size);
        const std::string importDoc = (importFolder / "centro.xml").string();
        m = runRounds({{"ours", {{cli, "import", importDoc, "--dir", importFolder.string()}}},
                       {"python",
                        {{python, pythonScript, "import", importDoc, importFolder.string(),
                          (importFolder / "ResultadoPython.xml").string()}}}},
                      3);
        std::printf("  import of %d rows: ours %.3f s, python %.3f s: %.1fx faster\n",
                    size.solucRows, m.at("ours").seconds, m.at("python").seconds,
                    m.at("python").seconds / m.at("ours").seconds);
    }
};

} // namespace

int main(int argc, char** argv)
{
    const double scale = envNumber("BENCH_SCALE", 0.25);
    Bench bench;
    bench.rounds = static_cast<int>(envNumber("BENCH_RUNS", 5));
    const fs::path self = fs::canonical(fs::path(argv[0])).parent_path();
    bench.cli = std::getenv("BENCH_CLI") != nullptr
                    ? std::getenv("BENCH_CLI")
                    : (self.parent_path() / "transmirtavquelmar-cli").string();
    bench.saxFloor = (self / "tmq_sax_floor").string();
    bench.python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    bench.pythonScript = TMQ_BENCH_SCRIPT;
    const std::string only = argc > 1 ? argv[1] : "";

    const char* keep = std::getenv("BENCH_DIR");
    std::string pattern = (fs::temp_directory_path() / "tmq-bench-XXXXXX").string();
    bench.work = keep != nullptr ? fs::path(keep) : fs::path(mkdtemp(pattern.data()));
    std::printf("Scale %.3g, %d rounds, program %s\nLoad average before: %s\n", scale, bench.rounds,
                bench.cli.c_str(), loadAverage().c_str());
    std::fflush(stdout);
    int status = 0;
    try {
        if (only.empty() || only == "export") {
            for (double s : {scale / 2, scale})
                for (DocumentEncoding e : {DocumentEncoding::Utf8, DocumentEncoding::Latin1}) {
                    bench.exportSize(s, e);
                    std::fflush(stdout);
                }
        }
        if (only.empty() || only == "import") {
            const double half = bench.importSize(scale / 2);
            const double full = bench.importSize(scale);
            std::printf("\nImport growth: twice the rows take %.2fx the time\n", full / half);
        }
        if (only.empty() || only == "python")
            bench.againstPython();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tmq_bench: %s\n", e.what());
        status = 1;
    }
    std::printf("\nLoad average after: %s\n", loadAverage().c_str());
    if (keep == nullptr)
        fs::remove_all(bench.work);
    return status;
}
