#include "export/ExportSteps.h"
#include "export/Sessions.h"
#include "export/StepTable.h"
#include "tables/TableLayouts.h"
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

void ExportarAsignaturas(const XmlDocument& doc, const std::filesystem::path& folder,
                         Report& report)
{
    DbfTable table;
    recreateStepTable(table, folder, "ASIGT", asigtLayout());
    std::size_t written = 0;

    forEachItem(doc, "ASIGNATURAS", kLeastValueCount, report,
                [&](const std::vector<XmlElement>& values) {
                    const std::string casig = valueAt(values, 0);
                    const std::string cgrup = valueAt(values, 1);
                    const std::string caula = valueAt(values, 2);
                    const std::string turno = valueAt(values, 3);
                    std::string nivel = valueAt(values, 4);
                    const std::string curso = valueAt(values, 5);
                    const std::string grupo = valueAt(values, 6);
                    const std::string minutes = valueAt(values, 7);

                    table.append();
                    table.setText("CASIG", casig);
                    table.setText("CGRUP", cgrup);
                    table.setText("CAULA", caula);
                    table.setText("TURNO", turno);
                    if (nivel.empty())
                        nivel = "NIV";
                    table.setText("NIVEL", nivel);
                    table.setText("CURSO", curso);
                    table.setText("GRUPO", grupo);

                    // A faulty minutes text ends the export here; this record is not posted.
                    if (!minutes.empty())
                        table.setFloat("HORAS", parseWholeNumber(minutes) / 60.0);
                    // The stored value counts, so that HORAS and SESIONES agree.
                    if (!(table.asFloat("HORAS") >= 1.0))
                        table.setFloat("HORAS", 1.0);
                    table.setText("SESIONES", sessionsText(table.asFloat("HORAS")));
                    table.post();
                    ++written;
                });
    table.close();
    reportRecords(report, "ASIGT", written);
}

} // namespace tmq
