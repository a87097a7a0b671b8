#include "bench/SchoolGenerator.h"

#include "tables/DbfTable.h"
#include "tables/TableLayouts.h"

#include <array>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace tmq::bench {

namespace {

constexpr int kSubjectsPerSchool = 150;
constexpr int kTeachersPerSchool = 80;
constexpr int kRoomsPerSchool = 40;
constexpr int kGroupsPerSchool = 30;
constexpr int kAssignmentsPerSchool = 400;
constexpr int kSchoolsAtScaleOne = 242;

// splitmix64: the same numbers on every platform and library, unlike the
// standard distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T, std::size_t N> const T& pick(const std::array<T, N>& from)
    {
        return from[static_cast<std::size_t>(below(static_cast<int>(N)))];
    }

private:
    std::uint64_t state_;
};

constexpr std::array<std::string_view, 16> kSubjectStems{"MAT", "LEN", "ING", "FRA", "HIS", "GEO",
                                                         "BIO", "FIS", "QUI", "TEC", "MUS", "EFI",
                                                         "PLA", "REL", "FIL", "ECO"};
constexpr std::array<std::string_view, 16> kSubjectNames{"Matemáticas",
                                                         "Lengua Castellana y Literatura",
                                                         "Inglés",
                                                         "Francés",
                                                         "Historia",
                                                         "Geografía",
                                                         "Biología y Geología",
                                                         "Física",
                                                         "Química",
                                                         "Tecnología",
                                                         "Música",
                                                         "Educación Física",
                                                         "Educación Plástica, Visual y Audiovisual",
                                                         "Religión",
                                                         "Filosofía",
                                                         "Economía"};
constexpr std::array<std::string_view, 12> kGivenNames{
    "María José", "José Luis", "Ana Belén", "Juan Carlos", "Lucía", "Íñigo",
    "Begoña",     "Joaquín",   "Mónica",    "Raúl",        "Nuria", "Ángel"};
constexpr std::array<std::string_view, 12> kSurnames{"Núñez", "Peña",    "García", "Martínez",
                                                     "López", "Sánchez", "Pérez",  "Gómez",
                                                     "Muñoz", "Jiménez", "Ibáñez", "Castaño"};
constexpr std::array<std::string_view, 4> kLevels{"ESO", "BACH", "FPB", ""};
constexpr std::array<std::string_view, 5> kDays{"L", "M", "X", "J", "V"};

std::string base36(int value, int width)
{
    static constexpr std::string_view kDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string text(static_cast<std::size_t>(width), '0');
    for (int i = width - 1; i >= 0 && value > 0; --i, value /= 36)
        text[static_cast<std::size_t>(i)] = kDigits[static_cast<std::size_t>(value % 36)];
    return text;
}

// The codes one school uses; schools share most subject codes, as merged
// documents do.
std::string subjectCode(int subject)
{
    return std::string(kSubjectStems[static_cast<std::size_t>(subject % 16)]) +
           std::to_string(subject / 16 % 10);
}
std::string teacherKey(int school, int teacher)
{
    return "P" + base36(school * kTeachersPerSchool + teacher, 3);
}
std::string roomKey(int room)
{
    return "A" + std::to_string(room);
}
std::string groupKey(int group)
{
    return std::to_string(1 + group % 4) + std::string(1, static_cast<char>('A' + group / 4));
}

void escapeInto(std::string& out, std::string_view text)
{
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else
            out += c;
    }
}

// One item: <listasal> with a <salida dato="..."> per value, indented as the
// management system indents its documents.
class ItemWriter {
public:
    explicit ItemWriter(std::string& out) : out_(out) { out_ += "\t\t\t<listasal>\n"; }
    ~ItemWriter() { out_ += "\t\t\t</listasal>\n"; }
    ItemWriter& value(std::string_view dato, std::string_view text)
    {
        out_ += "\t\t\t\t<salida dato=\"";
        out_ += dato;
        out_ += "\">";
        escapeInto(out_, text);
        out_ += "</salida>\n";
        return *this;
    }

private:
    std::string& out_;
};

void beginList(std::string& out, std::string_view seq)
{
    out += "\t\t<listasal seq=\"";
    out += seq;
    out += "\">\n";
}
void endList(std::string& out)
{
    out += "\t\t</listasal>\n";
}

std::string personName(Random& random)
{
    return std::string(random.pick(kSurnames)) + " " + std::string(random.pick(kSurnames)) + ", " +
           std::string(random.pick(kGivenNames));
}

long writeSchool(std::string& out, int school, Random& random)
{
    long items = 0;
    const std::string centre = std::to_string(18000000 + school * 7);

    beginList(out, "MATERIAS");
    for (int s = 0; s < kSubjectsPerSchool; ++s, ++items) {
        std::string code = subjectCode(s);
        if (random.chance(2))
            for (char& c : code)
                c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        ItemWriter item(out);
        item.value("X_MATERIAOMC", "G" + std::to_string(100000 + school * 1000 + s))
            .value("C_MATERIA", code);
        if (random.chance(3))
            continue; // too few values to make a record
        item.value("D_CORTA", code + "-" + std::to_string(s % 3))
            .value("D_MATERIA", std::string(kSubjectNames[static_cast<std::size_t>(s % 16)]) + " " +
                                    std::to_string(1 + s / 16 % 4) + "º");
    }
    endList(out);

    beginList(out, "PROFESORES");
    for (int t = 0; t < kTeachersPerSchool; ++t, ++items) {
        ItemWriter(out)
            .value("X_EMPLEADO", std::to_string(1000000 + school * 100 + t))
            .value("F_TOMAPOS", "01/09/20" + std::to_string(10 + random.below(15)))
            .value("NOMBRE", personName(random))
            .value("ABREVIATURA",
                   random.chance(5) ? "  " + teacherKey(school, t) + " \n" : teacherKey(school, t));
    }
    endList(out);

    beginList(out, "AULAS");
    for (int r = 0; r < kRoomsPerSchool; ++r, ++items) {
        ItemWriter(out)
            .value("X_DEPCENTRO", centre + std::to_string(r))
            .value("C_ABREV", random.chance(10) ? "" : roomKey(r))
            .value("D_DEPCENTRO", r % 5 == 0 ? "Laboratorio de Física & Química" : "Aula ordinaria")
            .value("EDIFICIO", r < 20 ? "P" : "S");
    }
    endList(out);

    beginList(out, "GRUPOS");
    for (int g = 0; g < kGroupsPerSchool; ++g, ++items) {
        ItemWriter(out)
            .value("X_UNIDAD", std::to_string(500000 + school * 100 + g))
            .value("C_ABREV", groupKey(g))
            .value("TURNO", "M")
            .value("NIVEL", random.pick(kLevels))
            .value("CURSO", std::to_string(1 + g % 4))
            .value("GRUPO", std::string(1, static_cast<char>('A' + g / 4)));
    }
    endList(out);

    beginList(out, "ASIGNATURAS");
    for (int a = 0; a < kAssignmentsPerSchool; ++a, ++items) {
        const int group = a % kGroupsPerSchool;
        ItemWriter(out)
            .value("C_MATERIA", subjectCode(a % kSubjectsPerSchool))
            .value("C_GRUPO", groupKey(group))
            .value("C_AULA", roomKey(a % kRoomsPerSchool))
            .value("TURNO", "M")
            .value("NIVEL", random.pick(kLevels))
            .value("CURSO", std::to_string(1 + group % 4))
            .value("GRUPO", std::string(1, static_cast<char>('A' + group / 4)))
            .value("MINUTOS", std::to_string(55 * (1 + random.below(16))));
    }
    endList(out);

    beginList(out, "TRAMOS");
    int code = 1;
    for (std::string_view day : kDays) {
        for (int hour = 1; hour <= 8; ++hour, ++items) {
            const int start = 8 * 60 + (hour - 1) * 60;
            auto clock = [](int minutes) {
                std::string text = std::to_string(minutes / 60) + ":" +
                                   std::to_string(100 + minutes % 60).substr(1);
                return text.size() < 5 ? "0" + text : text;
            };
            ItemWriter(out)
                .value("CODIGO_QUELMAR", std::to_string(school * 100 + code++))
                .value("NOMBRE", std::string(day) + std::to_string(hour))
                .value("INICIO", clock(start))
                .value("FIN", clock(start + 55))
                .value("NINUTOS", "55");
        }
    }
    endList(out);
    return items;
}

std::string toLatin1(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            out += static_cast<char>(((c & 0x1F) << 6) |
                                     (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else {
            throw std::logic_error("el generador solo escribe caracteres de ISO-8859-1");
        }
    }
    return out;
}

} // namespace

DistrictSize DistrictSize::forScale(double scale)
{
    DistrictSize size;
    size.schools = std::max(1, static_cast<int>(std::lround(kSchoolsAtScaleOne * scale)));
    size.solucTeachers = std::max(10, static_cast<int>(std::lround(5000 * scale)));
    size.solucRows = std::max(100, static_cast<int>(std::lround(500000 * scale)));
    return size;
}

int schoolsForTeachers(int teachers)
{
    return (teachers + kTeachersPerSchool - 1) / kTeachersPerSchool;
}

long writeDistrictDocument(const std::filesystem::path& file, int schools,
                           DocumentEncoding encoding, std::uint64_t seed)
{
    std::ofstream out(file, std::ios::binary);
    const bool latin1 = encoding == DocumentEncoding::Latin1;
    out << "<?xml version=\"1.0\" encoding=\"" << (latin1 ? "ISO-8859-1" : "UTF-8") << "\"?>\n"
        << "<SERVICIO version=\"2.1\">\n\t<ENTRADAS>\n"
        << "\t\t<entrada dato=\"X_SERVICIO\">EXPORTACION_HORARIOS</entrada>\n"
        << "\t\t<entrada dato=\"D_DELEGACION\">Delegación Territorial</entrada>\n"
        << "\t</ENTRADAS>\n\t<SALIDAS>\n";
    Random random(seed);
    long items = 0;
    std::string chunk;
    for (int school = 0; school < schools; ++school) {
        chunk.clear();
        chunk += "\t\t<!-- centro " + std::to_string(school + 1) + " -->\n";
        items += writeSchool(chunk, school, random);
        out << (latin1 ? toLatin1(chunk) : chunk);
    }
    out << "\t</SALIDAS>\n</SERVICIO>\n";
    if (!out)
        throw std::runtime_error("no se puede escribir " + file.string());
    return items;
}

void writeSoluc(const std::filesystem::path& folder, int teachers, int rows, std::uint64_t seed)
{
    DbfTable soluc;
    soluc.create(folder, "SOLUC", solucLayout());
    soluc.open(folder, "SOLUC");
    Random random(seed);
    // Rows in timetable order: slot by slot, every teacher in each.
    for (int row = 0; row < rows; ++row) {
        const int teacher = row % teachers;
        const int school = teacher / kTeachersPerSchool;
        soluc.append();
        soluc.setText("PROF", teacherKey(school, teacher % kTeachersPerSchool));
        soluc.setText("ASIG",
                      random.chance(1) ? "ZZZ9" : subjectCode(random.below(kSubjectsPerSchool)));
        soluc.setFloat("DIA", random.chance(3) ? 0 : 1 + random.below(5));
        soluc.setFloat("HORA", 1 + random.below(8));
        soluc.setText("AULA", random.chance(1) ? "X9" : roomKey(random.below(kRoomsPerSchool)));
        soluc.setText("CODGRUPO", groupKey(random.below(kGroupsPerSchool)));
        soluc.post();
    }
    soluc.close();
}

} // namespace tmq::bench
