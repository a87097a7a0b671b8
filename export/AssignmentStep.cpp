#include "export/ExportSteps.h"
#include "export/Sessions.h"
#include "tables/WholeNumber.h"

#include <cmath>

namespace tmq {

std::string sessionsText(double hours)
{
    constexpr long long kPlainRun = 13;
    const auto n = static_cast<long long>(std::ceil(hours));
    if (n > kPlainRun)
        return std::to_string(n - kPlainRun) + std::string(kPlainRun, '1');
    return std::string(static_cast<std::size_t>(n < 1 ? 1 : n), '1');
}

CatalogueReading ExportarAsignaturas(StepRecords& step)
{
    RecordBuffer& r = step.records;
    CatalogueReading reading;
    reading.seq = "ASIGNATURAS";
    reading.positions = 8;
    reading.onItem = [&step, &r, casig = r.field("CASIG"), cgrup = r.field("CGRUP"),
                      caula = r.field("CAULA"), turno = r.field("TURNO"), nivel = r.field("NIVEL"),
                      curso = r.field("CURSO"), grupo = r.field("GRUPO"), horas = r.field("HORAS"),
                      sesiones = r.field("SESIONES")](const ItemValues& v) {
        // The export ends at a faulty item: nothing after it is written.
        if (step.failure || tooFewValues(step, "ASIGNATURAS", v))
            return;
        r.append();
        r.setText(casig, v.at(0));
        r.setText(cgrup, v.at(1));
        r.setText(caula, v.at(2));
        r.setText(turno, v.at(3));
        r.setText(nivel, v.at(4).empty() ? "NIV" : v.at(4));
        r.setText(curso, v.at(5));
        r.setText(grupo, v.at(6));

        const std::string_view minutes = v.at(7);
        if (!minutes.empty()) {
            try {
                r.setFloat(horas, parseWholeNumber(minutes) / 60.0);
            } catch (...) {
                r.dropLast();
                step.failure = std::current_exception();
                return;
            }
        }
        // The stored value counts, so that HORAS and SESIONES agree.
        if (!(r.asFloat(horas) >= 1.0))
            r.setFloat(horas, 1.0);
        r.setText(sesiones, sessionsText(r.asFloat(horas)));
    };
    return reading;
}

} // namespace tmq
