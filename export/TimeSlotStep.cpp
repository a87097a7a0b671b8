#include "core/Cp1252.h"
#include "export/ExportSteps.h"
#include "export/StepTable.h"
#include "tables/TableLayouts.h"

namespace tmq {

namespace {

struct TimeSlot {
    std::string name; // "NOMBRE" or "DIA", whichever comes later
    std::string code;
    std::string start;
    std::string end;
    std::string minutes;

    // The text a value element's "dato" names, or none for other names.
    std::string* textNamed(std::string_view dato)
    {
        if (dato == "CODIGO_QUELMAR")
            return &code;
        if (dato == "NOMBRE" || dato == "DIA")
            return &name;
        if (dato == "INICIO")
            return &start;
        if (dato == "FIN")
            return &end;
        if (dato == "NINUTOS")
            return &minutes;
        return nullptr;
    }
};

// The weekday number for the first letter of a slot name ("L" is 1 ... "D"
// is 7); any other character stands for itself.
std::string weekdayNumber(std::string_view slotName)
{
    if (slotName.empty())
        return {};
    static constexpr std::string_view kLetters = "LMXJVSD";
    const auto day = kLetters.find(slotName.front());
    if (day == std::string_view::npos)
        return std::string(1, slotName.front());
    return std::to_string(day + 1);
}

} // namespace

void ExportarTramos(const XmlDocument& doc, const std::filesystem::path& folder, Report& report)
{
    DbfTable table;
    recreateStepTable(table, folder, "DIASHORAST", diashorastLayout());
    std::size_t written = 0;

    // Every item gives a record here, so the count is the item's number.
    forEachItem(doc, "TRAMOS", 0, report, [&](const std::vector<XmlElement>& values) {
        TimeSlot slot;
        for (const XmlElement& value : values) {
            const std::optional<std::string> dato = value.attribute("dato");
            if (!dato)
                continue;
            if (std::string* text = slot.textNamed(utf8ToCp1252(*dato)))
                *text = readValue(value);
        }

        if (slot.name.empty() && report.wanted())
            report.line("TRAMOS, elemento " + std::to_string(written + 1) +
                        ": sin nombre de tramo (NOMBRE o DIA); su registro se escribe, pero "
                        "la importación no podrá encontrarlo");

        table.append();
        table.setText("DIHO", slot.name);
        table.setText("DIA", weekdayNumber(slot.name));
        table.setText("HORA", slot.name.size() > 1 ? slot.name.substr(1, 2) : std::string());
        table.setText("CODDIHO", slot.code);
        table.setText("HORADESDE", slot.start);
        table.setText("HORAHASTA", slot.end);
        table.setText("MINUTOS", slot.minutes);
        table.post();
        ++written;
    });
    table.close();
    reportRecords(report, "DIASHORAST", written);
}

} // namespace tmq
