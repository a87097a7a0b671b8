#!/usr/bin/env python3
"""The same export and import written plainly in Python, as a yardstick for
the benchmark: lxml for the document, a small dBASE reader and writer of its
own for the tables. It follows the conversion rules as written: the
timetable is filtered teacher by teacher and every lookup scans its table
from the top, as a plain script of this job does.

    reference_converter.py export DOCUMENT FOLDER
    reference_converter.py import DOCUMENT FOLDER RESULT
"""
import datetime
import math
import struct
import sys

from lxml import etree

LAYOUTS = {
    "ASIGNOMT": [("COD", "C", 4), ("CODLARGO", "C", 8), ("NOMBRE", "C", 40), ("MATERIA", "C", 8)],
    "PROFT": [("ABREV", "C", 4), ("NOMBRE", "C", 40), ("DEPART", "C", 40), ("DNI", "N", 11),
              ("X_EMPLEADO", "C", 10), ("F_TOMAPOS", "C", 10)],
    "AULAT": [("ABREV", "C", 4), ("NOMBRE", "C", 40), ("EDIFICIO", "C", 1), ("MAXALUM", "N", 11),
              ("DEPCENTRO", "C", 10)],
    "GRUPOST": [("ABREV", "C", 4), ("TURNO", "C", 1), ("NIVEL", "C", 5), ("CURSO", "C", 3),
                ("GRUPO", "C", 2), ("UNIDAD", "C", 10)],
    "ASIGT": [("CASIG", "C", 4), ("CPROF", "C", 4), ("CGRUP", "C", 4), ("CAULA", "C", 4),
              ("TURNO", "C", 1), ("NIVEL", "C", 5), ("CURSO", "C", 3), ("GRUPO", "C", 2),
              ("HORAS", "N", 20), ("SESIONES", "C", 20)],
    "DIASHORAST": [("DIHO", "C", 10), ("CODDIHO", "C", 10), ("DIA", "C", 20), ("TEXTODIA", "C", 20),
                   ("HORA", "C", 8), ("HORADESDE", "C", 8), ("HORAHASTA", "C", 8),
                   ("MINUTOS", "C", 8)],
}
BLANKS = "".join(chr(c) for c in range(33))
DAYS = "LMXJVSD"


def write_table(folder, name, records):
    fields = LAYOUTS[name]
    record_length = 1 + sum(width for _, _, width in fields)
    today = datetime.date.today()
    with open(f"{folder}/{name}.DBF", "wb") as out:
        out.write(struct.pack("<BBBBIHH20x", 3, today.year - 1900, today.month, today.day,
                              len(records), 32 + 32 * len(fields) + 1, record_length))
        for field, kind, width in fields:
            out.write(struct.pack("<11sc4xBB14x", field.encode("ascii"), kind.encode("ascii"),
                                  width, 4 if field == "HORAS" else 0))
        out.write(b"\r")
        for record in records:
            row = bytearray(b" ")
            for field, kind, width in fields:
                value = record.get(field, "")
                if kind == "N":
                    text = f"{value:.4f}".rjust(width) if value != "" else " " * width
                    row += text.encode("ascii")
                else:
                    row += value.encode("cp1252", "replace")[:width].ljust(width)
            out.write(row)
        out.write(b"\x1a")


def value_text(element):
    return "".join(element.itertext()).strip(BLANKS)


def items(doc, seq):
    for item in doc.xpath("/SERVICIO/SALIDAS/listasal[@seq=$seq]/listasal", seq=seq):
        yield [value_text(v) for v in item.xpath("salida")], item


def at(values, position):
    return values[position] if position < len(values) else ""


def export(document, folder):
    doc = etree.parse(document, etree.XMLParser(resolve_entities=False, no_network=True))
    rows, seen = [], set()
    for values, _ in items(doc, "MATERIAS"):
        if len(values) < 2 or at(values, 1).lower() in seen:
            continue
        seen.add(at(values, 1).lower())
        rows.append({"COD": at(values, 1), "CODLARGO": at(values, 2), "NOMBRE": at(values, 3),
                     "MATERIA": at(values, 0)})
    write_table(folder, "ASIGNOMT", rows)
    write_table(folder, "PROFT", [
        {"ABREV": at(v, 3), "NOMBRE": at(v, 2), "X_EMPLEADO": at(v, 0), "F_TOMAPOS": at(v, 1)}
        for v, _ in items(doc, "PROFESORES") if len(v) >= 2])
    write_table(folder, "AULAT", [
        {"ABREV": at(v, 1) or at(v, 0), "NOMBRE": at(v, 2), "EDIFICIO": at(v, 3),
         "DEPCENTRO": at(v, 0)}
        for v, _ in items(doc, "AULAS") if len(v) >= 2])
    write_table(folder, "GRUPOST", [
        {"ABREV": at(v, 1), "TURNO": at(v, 2), "NIVEL": at(v, 3) or "NIV", "CURSO": at(v, 4),
         "GRUPO": at(v, 5), "UNIDAD": at(v, 0)}
        for v, _ in items(doc, "GRUPOS") if len(v) >= 2])
    rows = []
    for v, _ in items(doc, "ASIGNATURAS"):
        if len(v) < 2:
            continue
        hours = max(int(at(v, 7), 0) / 60.0 if at(v, 7) else 0.0, 1.0)
        n = math.ceil(hours)
        sessions = (str(n - 13) + "1" * 13) if n > 13 else "1" * n
        rows.append({"CASIG": at(v, 0), "CGRUP": at(v, 1), "CAULA": at(v, 2), "TURNO": at(v, 3),
                     "NIVEL": at(v, 4) or "NIV", "CURSO": at(v, 5), "GRUPO": at(v, 6),
                     "HORAS": hours, "SESIONES": sessions})
    write_table(folder, "ASIGT", rows)
    rows = []
    for _, item in items(doc, "TRAMOS"):
        slot = {}
        for value in item.xpath("salida"):
            name = {"NOMBRE": "DIHO", "DIA": "DIHO", "CODIGO_QUELMAR": "CODDIHO",
                    "INICIO": "HORADESDE", "FIN": "HORAHASTA", "NINUTOS": "MINUTOS"}.get(
                        value.get("dato"))
            if name:
                slot[name] = value_text(value)
        name = slot.get("DIHO", "")
        day = str(DAYS.index(name[0]) + 1) if name and name[0] in DAYS else name[:1]
        slot.update({"DIA": day, "HORA": name[1:3]})
        rows.append(slot)
    write_table(folder, "DIASHORAST", rows)


def read_table(folder, name):
    with open(f"{folder}/{name}.DBF", "rb") as table:
        data = table.read()
    count, header_length, record_length = struct.unpack("<IHH", data[4:12])
    fields, offset = [], 1
    for start in range(32, header_length - 1, 32):
        field = data[start:start + 11].split(b"\0")[0].decode("ascii")
        width = data[start + 16]
        fields.append((field, data[start + 11:start + 12], offset, width))
        offset += width
    rows = []
    for r in range(count):
        record = data[header_length + r * record_length:header_length + (r + 1) * record_length]
        if record[:1] == b"*":
            continue
        row = {}
        for field, kind, start, width in fields:
            text = record[start:start + width].decode("cp1252").rstrip(" ")
            if kind == b"N":
                text = text.strip()
                text = "%g" % float(text) if text else ""
            row[field] = text
        rows.append(row)
    return rows


def first(rows, key, value):
    """The first row whose `key` is `value`, scanning in record order."""
    for row in rows:
        if row[key] == value:
            return row
    return {}


def import_(document, folder, result):
    doc = etree.parse(document, etree.XMLParser(resolve_entities=False, no_network=True))
    root = doc.getroot()
    root.remove(root.find("SALIDAS"))
    etree.SubElement(root, "SALIDAS")
    section = root.find("SALIDAS")
    error = etree.SubElement(section, "ERROR")
    for dato, text in (("CN_ERROR", "0"), ("TE_ERROR", "Servicio finalizado Correctamente")):
        etree.SubElement(error, "salida", dato=dato).text = text
    soluc = read_table(folder, "SOLUC")
    subjects = read_table(folder, "ASIGNOMT")
    slots = read_table(folder, "DIASHORAST")
    rooms = read_table(folder, "AULAT")
    groups = read_table(folder, "GRUPOST")
    for n, teacher in enumerate(read_table(folder, "PROFT"), 1):
        employee = etree.SubElement(section, "listasal", seq=f"EMPLEADO_{n}")
        etree.SubElement(employee, "salida", dato="X_EMPLEADO").text = teacher["X_EMPLEADO"]
        etree.SubElement(employee, "salida", dato="F_TOMAPOS").text = teacher["F_TOMAPOS"]
        m = 1
        for lesson in soluc:
            if lesson["PROF"] != teacher["ABREV"] or int(float(lesson["DIA"] or 0)) == 0:
                continue
            activity = etree.SubElement(employee, "listasal", seq=f"ACTIVIDAD_{m}")
            m += 1
            subject = first(subjects, "COD", lesson["ASIG"]).get("MATERIA", "")
            day = lesson["DIA"]
            letter = DAYS[int(day) - 1] if day in ("1", "2", "3", "4", "5", "6", "7") else ""
            slot = first(slots, "DIHO", letter + str(int(float(lesson["HORA"] or 0))))
            for dato, text in (
                    ("X_ACTIVIDAD", subject if subject.startswith("G") else "G439"),
                    ("N_DIASEMANA", slot.get("DIA", "")), ("X_TRAMO", slot.get("CODDIHO", "")),
                    ("X_DEPCENTRO", first(rooms, "ABREV", lesson["AULA"]).get("DEPCENTRO", "")),
                    ("X_UNIDAD", first(groups, "ABREV", lesson["CODGRUPO"]).get("UNIDAD", "")),
                    ("X_MATERIAOMC", subject)):
                etree.SubElement(activity, "salida", dato=dato).text = text
    doc.write(result, encoding=doc.docinfo.encoding or "UTF-8", xml_declaration=True)


if __name__ == "__main__":
    if sys.argv[1] == "export":
        export(sys.argv[2], sys.argv[3])
    else:
        import_(sys.argv[2], sys.argv[3], sys.argv[4])
