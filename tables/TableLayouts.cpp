#include "tables/TableLayouts.h"

namespace tmq {

namespace {

FieldDef text(const char* name, int width)
{
    return {name, FieldType::Text, width};
}
FieldDef integer(const char* name)
{
    return {name, FieldType::Integer, 0};
}
FieldDef real(const char* name)
{
    return {name, FieldType::Float, 0};
}

} // namespace

const std::vector<FieldDef>& asignomtLayout()
{
    static const std::vector<FieldDef> fields{text("COD", 4), text("CODLARGO", 8),
                                              text("NOMBRE", 40), text("MATERIA", 8)};
    return fields;
}

const std::vector<FieldDef>& proftLayout()
{
    static const std::vector<FieldDef> fields{text("ABREV", 4),       text("NOMBRE", 40),
                                              text("DEPART", 40),     integer("DNI"),
                                              text("X_EMPLEADO", 10), text("F_TOMAPOS", 10)};
    return fields;
}

const std::vector<FieldDef>& aulatLayout()
{
    static const std::vector<FieldDef> fields{text("ABREV", 4), text("NOMBRE", 40),
                                              text("EDIFICIO", 1), integer("MAXALUM"),
                                              text("DEPCENTRO", 10)};
    return fields;
}

const std::vector<FieldDef>& grupostLayout()
{
    static const std::vector<FieldDef> fields{text("ABREV", 4), text("TURNO", 1),
                                              text("NIVEL", 5), text("CURSO", 3),
                                              text("GRUPO", 2), text("UNIDAD", 10)};
    return fields;
}

const std::vector<FieldDef>& asigtLayout()
{
    static const std::vector<FieldDef> fields{
        text("CASIG", 4), text("CPROF", 4),    text("CGRUP", 4), text("CAULA", 4),
        text("TURNO", 1), text("NIVEL", 5),    text("CURSO", 3), text("GRUPO", 2),
        real("HORAS"),    text("SESIONES", 20)};
    return fields;
}

const std::vector<FieldDef>& diashorastLayout()
{
    static const std::vector<FieldDef> fields{
        text("DIHO", 10), text("CODDIHO", 10),  text("DIA", 20),      text("TEXTODIA", 20),
        text("HORA", 8),  text("HORADESDE", 8), text("HORAHASTA", 8), text("MINUTOS", 8)};
    return fields;
}

const std::vector<FieldDef>& solucLayout()
{
    static const std::vector<FieldDef> fields{text("PROF", 4), text("ASIG", 4),
                                              integer("DIA"),  integer("HORA"),
                                              text("AULA", 4), text("CODGRUPO", 4)};
    return fields;
}

} // namespace tmq
