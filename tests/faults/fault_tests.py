#!/usr/bin/python3
"""Faults during writing, tried on the real command-line program.

- an export killed (SIGKILL) at many points over an older set of tables;
- an export, an import and the timetable page on a full file system (a small
  tmpfs);
- an import killed while it saves the result over an older one;
- a second converter on the same working folder while one runs.

Every table left behind must be whole, the older one or the complete new one,
with its header agreeing with its size; nothing of ours may survive the next
run. The full-disk cases need root (for mount); the script then runs itself in a
private mount namespace (unshare -m). Without root they are left out.

  fault_tests.py CLI [CASE...]
"""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

TABLES = ["ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"]
SEPARATOR = "\n--TABLA--\n"


def item(values):
    return "<listasal>" + "".join("<salida>%s</salida>" % v for v in values) + "</listasal>\n"


def school(subjects, teachers, rooms, groups, assignments, label="Ñ", hours=8):
    parts = ['<?xml version="1.0" encoding="UTF-8"?>\n<SERVICIO><SALIDAS>\n']
    parts.append('<listasal seq="MATERIAS">')
    parts += [item(["G%d" % i, "M%d" % i, "LARGO%d" % i, "Matemáticas %s%d" % (label, i)])
              for i in range(subjects)]
    parts.append('</listasal>\n<listasal seq="PROFESORES">')
    parts += [item(["%d" % (10000 + i), "01/09/2020", "Núñez, María %d" % i, "P%d" % i])
              for i in range(teachers)]
    parts.append('</listasal>\n<listasal seq="AULAS">')
    parts += [item(["D%d" % i, "A%d" % i, "Aula %d" % i, "Edificio"]) for i in range(rooms)]
    parts.append('</listasal>\n<listasal seq="GRUPOS">')
    parts += [item(["U%d" % i, "G%d" % i, "M", "ESO", "1", "A"]) for i in range(groups)]
    parts.append('</listasal>\n<listasal seq="ASIGNATURAS">')
    parts += [item(["M%d" % (i % max(subjects, 1)), "G%d" % (i % max(groups, 1)),
                    "A%d" % (i % max(rooms, 1)), "M", "", "1", "A", str(60 + i % 240)])
              for i in range(assignments)]
    parts.append('</listasal>\n<listasal seq="TRAMOS">')
    code = 1
    for day in "LMXJV":
        for hour in range(1, hours + 1):
            parts.append('<listasal><salida dato="CODIGO_QUELMAR">%d</salida>'
                         '<salida dato="NOMBRE">%s%d</salida><salida dato="INICIO">08:00</salida>'
                         '<salida dato="FIN">09:00</salida><salida dato="NINUTOS">60</salida>'
                         '</listasal>\n' % (code, day, hour))
            code += 1
    parts.append("</listasal>\n</SALIDAS></SERVICIO>\n")
    return "".join(parts)


def dbf(fields, rows):
    """A dBASE III table, written as the timetable program writes SOLUC."""
    header_length = 32 + 32 * len(fields) + 1
    record_length = 1 + sum(f[2] for f in fields)
    out = bytearray(struct.pack("<BBBBIHH20x", 3, 126, 1, 1, len(rows), header_length,
                                record_length))
    for name, kind, width in fields:
        out += name.encode().ljust(11, b"\0") + kind.encode() + b"\0" * 4 + bytes([width, 0])
        out += b"\0" * 14
    out += b"\r"
    for row in rows:
        out += b" "
        for (name, kind, width), value in zip(fields, row):
            text = str(value)
            out += (text.rjust(width) if kind == "N" else text.ljust(width)).encode("cp1252")
    return bytes(out + b"\x1a")


def soluc(teachers, lessons_per_teacher):
    fields = [("PROF", "C", 10), ("ASIG", "C", 10), ("DIA", "N", 2), ("HORA", "N", 2),
              ("AULA", "C", 10), ("CODGRUPO", "C", 10)]
    rows = [("P%d" % t, "M%d" % (l % 7), 1 + l % 5, 1 + l % 8, "A%d" % (l % 3), "G%d" % (t % 4))
            for l in range(lessons_per_teacher) for t in range(teachers)]
    return dbf(fields, rows)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, content):
    with open(path, "wb" if isinstance(content, bytes) else "w", **(
            {} if isinstance(content, bytes) else {"encoding": "utf-8"})) as f:
        f.write(content)


def whole_table(content):
    """Why a table file is not whole, or None: its header's record count times
    the record length, after the header, must be its size (an end-of-file
    byte may follow)."""
    if len(content) < 32:
        return "solo %d bytes" % len(content)
    count, header_length, record_length = struct.unpack_from("<IHH", content, 4)
    expected = header_length + count * record_length
    if len(content) == expected or (len(content) == expected + 1 and content[-1] == 0x1A):
        return None
    return "la cabecera anuncia %d registros (%d bytes) y el archivo tiene %d bytes" % (
        count, expected, len(content))


def undated(content):
    """A table without its date of last change, which each run sets."""
    return content[:1] + b"\0\0\0" + content[4:]


class Cli:
    def __init__(self, path):
        self.path = path

    def start(self, *args, **kwargs):
        return subprocess.Popen([self.path, *args], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, stdin=subprocess.DEVNULL, **kwargs)

    def run(self, *args, **kwargs):
        p = self.start(*args, **kwargs)
        out, err = p.communicate(timeout=300)
        return p.returncode, out.decode("utf-8", "replace"), err.decode("utf-8", "replace")


class Checks:
    def __init__(self):
        self.failures = []

    def expect(self, condition, text):
        if not condition:
            self.failures.append(text)
            print("  FALLO: " + text)
        return condition


def spanish(text):
    """No English text from a library: the usual words of their messages."""
    english = ["Failure", "failed", "No such", "No space", "Permission denied", "error:",
               "Read-only", "cannot", "Unable", "filesystem error", "Resource"]
    return not any(word in text for word in english)


def folder_files(folder):
    return sorted(os.listdir(folder))


class Scratch:
    def __init__(self, cli):
        self.cli = cli
        self.root = tempfile.mkdtemp(prefix="tmq-faults-")

    def folder(self, name):
        path = os.path.join(self.root, name)
        os.makedirs(path, exist_ok=True)
        return path

    def exported_set(self, name, document):
        """Exports `document` into a folder of its own; returns the tables."""
        folder = self.folder(name)
        xml = os.path.join(self.root, name + ".xml")
        write(xml, document)
        code, out, err = self.cli.run("export", xml, "--dir", folder)
        if code != 0:
            raise RuntimeError("la exportación de referencia falló: " + err)
        return {t: read(os.path.join(folder, t + ".DBF")) for t in TABLES}

    def lay_out(self, folder, tables, indexes=True):
        for entry in os.listdir(folder):
            os.remove(os.path.join(folder, entry))
        for table, content in tables.items():
            write(os.path.join(folder, table + ".DBF"), content)
            if indexes:
                write(os.path.join(folder, table + ".MDX"), b"indice antiguo " + table.encode())

    def close(self):
        with open("/proc/self/mounts") as mounts:
            for line in mounts:
                point = line.split()[1]
                if point.startswith(self.root + "/"):
                    subprocess.run(["umount", "-l", point])
        shutil.rmtree(self.root, ignore_errors=True)


def check_tables(checks, folder, old, new, where):
    """Every table whole, and the older or the new one; the older one keeps
    its index file. Returns how many are new."""
    replaced = 0
    for table in TABLES:
        path = os.path.join(folder, table + ".DBF")
        if not checks.expect(os.path.exists(path), "%s: falta %s.DBF" % (where, table)):
            continue
        content = read(path)
        problem = whole_table(content)
        checks.expect(problem is None, "%s: %s.DBF no está entera: %s" % (where, table, problem))
        is_old = content == old[table]
        is_new = undated(content) == undated(new[table])
        checks.expect(is_old or is_new, "%s: %s.DBF no es ni la antigua ni la nueva (%d bytes)"
                      % (where, table, len(content)))
        index_present = os.path.exists(os.path.join(folder, table + ".MDX"))
        if is_new:
            # The index goes right after the renames; a run killed between
            # the two leaves it for the next export to delete.
            replaced += 1
        elif is_old:
            checks.expect(index_present, "%s: %s.MDX borrado aunque %s.DBF es la antigua"
                          % (where, table, table))
    return replaced


def case_kill_export(cli, scratch, checks):
    document = school(8000, 6000, 2000, 2000, 40000)
    xml = os.path.join(scratch.root, "grande.xml")
    write(xml, document)
    old = scratch.exported_set("antiguo", school(30, 20, 10, 10, 60, label="antiguo", hours=6))
    new = scratch.exported_set("nuevo", document)
    folder = scratch.folder("trabajo")
    solucs = soluc(20, 3)

    scratch.lay_out(folder, old)
    started = time.monotonic()
    code, _, err = cli.run("export", xml, "--dir", folder)
    duration = time.monotonic() - started
    checks.expect(code == 0, "la exportación completa falló: " + err)
    print("  exportación completa: %.2f s" % duration)

    # Killed while writing each table in turn, then at points spread over
    # the whole run.
    points = [("mientras escribe " + t, t) for t in TABLES] + [
        ("a los %d/9" % i, duration * i / 9) for i in range(1, 9)]
    seen = {}
    for i, (where, when) in enumerate(points, 1):
        scratch.lay_out(folder, old)
        process = cli.start("export", xml, "--dir", folder)
        if isinstance(when, str):
            temporary = os.path.join(folder, "~tmq-%s.DBF" % when)
            while process.poll() is None and not os.path.exists(temporary):
                time.sleep(0.0005)
        else:
            time.sleep(when)
        process.send_signal(signal.SIGKILL)
        process.wait()
        where = "muerta " + where
        replaced = check_tables(checks, folder, old, new, where)
        leftovers = [f for f in folder_files(folder)
                     if f not in [t + ".DBF" for t in TABLES] + [t + ".MDX" for t in TABLES]]
        seen[where] = (replaced, leftovers)

        # The next run is not blocked by what the killed one left, and
        # removes it: an export, or every other time an import.
        if i % 2:
            code, _, err = cli.run("export", xml, "--dir", folder)
            checks.expect(code == 0, "%s: la exportación siguiente falló: %s" % (where, err))
            check_tables(checks, folder, old, new, where + ", tras la siguiente")
            expected = sorted(t + ".DBF" for t in TABLES)
        else:
            write(os.path.join(folder, "SOLUC.DBF"), solucs)
            code, _, err = cli.run("import", xml, "--dir", folder)
            checks.expect(code == 0, "%s: la importación siguiente falló: %s" % (where, err))
            expected = sorted([t + ".DBF" for t in TABLES] + ["SOLUC.DBF"] +
                              [t + ".MDX" for t in TABLES
                               if os.path.exists(os.path.join(folder, t + ".MDX"))])
        checks.expect(folder_files(folder) == expected,
                      "%s: quedan archivos tras la siguiente: %s" % (where, folder_files(folder)))
    for where, (replaced, leftovers) in seen.items():
        print("  %s: %d tablas nuevas, otros archivos %s" % (where, replaced, leftovers))


def mount_tmpfs(path, kilobytes):
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk" % kilobytes, "tmpfs", path],
                   check=True)


def case_full_export(cli, scratch, checks):
    old = scratch.exported_set("antiguo", school(30, 20, 10, 10, 60, label="antiguo", hours=6))
    # Small catalogues fill the first four tables and ASIGT does not fit; or
    # the first table does not.
    for kilobytes, document in [(600, school(40, 30, 20, 20, 30000)),
                                (200, school(30000, 30, 20, 20, 30))]:
        new = scratch.exported_set("nuevo%d" % kilobytes, document)
        folder = scratch.folder("lleno%d" % kilobytes)
        mount_tmpfs(folder, kilobytes)
        xml = os.path.join(scratch.root, "documento%d.xml" % kilobytes)
        write(xml, document)
        scratch.lay_out(folder, old)
        code, out, err = cli.run("export", xml, "--dir", folder)
        print("  tmpfs de %d KB: salida %d, %s" % (kilobytes, code, err.strip()))
        checks.expect(code == 2, "%d KB: la exportación no falló (%d)" % (kilobytes, code))
        checks.expect(spanish(err), "%d KB: mensaje en inglés: %s" % (kilobytes, err))
        checks.expect("espacio" in err, "%d KB: el mensaje no dice que falta espacio: %s"
                      % (kilobytes, err))
        named = [t for t in TABLES if t + ".DBF" in err]
        checks.expect(len(named) == 1, "%d KB: el mensaje no nombra una tabla: %s"
                      % (kilobytes, err))
        replaced = check_tables(checks, folder, old, new, "%d KB" % kilobytes)
        for table in TABLES:
            if read(os.path.join(folder, table + ".DBF")) != old[table]:
                checks.expect(not os.path.exists(os.path.join(folder, table + ".MDX")),
                              "%d KB: %s.MDX sigue junto a la tabla nueva" % (kilobytes, table))
        for table in TABLES:
            content = read(os.path.join(folder, table + ".DBF"))
            if table in named or TABLES.index(table) >= TABLES.index(named[0] if named else "ASIGNOMT"):
                checks.expect(content == old[table], "%d KB: %s.DBF antigua no está intacta"
                              % (kilobytes, table))
        print("  tmpfs de %d KB: %d tablas nuevas, archivos %s"
              % (kilobytes, replaced, folder_files(folder)))
        checks.expect(all(f.upper().endswith((".DBF", ".MDX")) and
                          f.upper()[:-4] in TABLES for f in folder_files(folder)),
                      "%d KB: quedan archivos: %s" % (kilobytes, folder_files(folder)))


def import_setup(scratch, folder, teachers, lessons):
    document = school(7, teachers, 3, 4, 20)
    tables = scratch.exported_set("para-importar", document)
    scratch.lay_out(folder, tables, indexes=False)
    write(os.path.join(folder, "SOLUC.DBF"), soluc(teachers, lessons))
    return document


def case_full_import(cli, scratch, checks):
    area = scratch.folder("lleno-importacion")
    mount_tmpfs(area, 2048)
    folder = os.path.join(area, "mtemp")
    os.makedirs(folder)
    document = import_setup(scratch, folder, 300, 10)
    xml = os.path.join(area, "centro.xml")
    write(xml, document)
    result = os.path.join(area, "ResultadoMirtavcentro.xml")
    write(result, "<resultado antiguo/>\n")
    before = {f: read(os.path.join(folder, f)) for f in folder_files(folder)}
    # Fill what is left of the file system but a little.
    fill_up(area, 16384)
    code, out, err = cli.run("import", xml, "--dir", folder)
    print("  importación en disco lleno: salida %d, %s" % (code, err.strip()))
    checks.expect(code == 2, "la importación no falló (%d)" % code)
    checks.expect(spanish(err), "mensaje en inglés: " + err)
    checks.expect("ResultadoMirtavcentro.xml" in err, "el mensaje no nombra el resultado: " + err)
    checks.expect("espacio" in err, "el mensaje no dice que falta espacio: " + err)
    checks.expect(read(result) == b"<resultado antiguo/>\n", "el resultado antiguo cambió")
    checks.expect(sorted(os.listdir(area)) == ["ResultadoMirtavcentro.xml", "centro.xml", "mtemp",
                                               "relleno"],
                  "quedan archivos junto al resultado: %s" % sorted(os.listdir(area)))
    checks.expect({f: read(os.path.join(folder, f)) for f in folder_files(folder)} == before,
                  "las tablas cambiaron: %s" % folder_files(folder))


def fill_up(area, leave):
    """Fills the file system of `area` but `leave` bytes."""
    filler = os.path.join(area, "relleno")
    descriptor = os.open(filler, os.O_WRONLY | os.O_CREAT)
    try:
        while True:
            os.write(descriptor, b"\0" * 4096)
    except OSError:
        pass
    os.close(descriptor)
    os.truncate(filler, os.path.getsize(filler) - leave)


def case_full_report(cli, scratch, checks):
    pages = ["HorarioMirtavel" + suffix + ".html"
             for suffix in ["", "-profesores", "-grupos", "-aulas", "-libres", "-plantilla"]]
    # The set written where there is room, to learn its files' sizes.
    roomy = scratch.folder("pagina-con-sitio")
    import_setup(scratch, roomy, 300, 10)
    code, _, err = cli.run("report", "--dir", roomy, "--out",
                           os.path.join(roomy, "HorarioMirtavel.html"))
    checks.expect(code == 0, "la página con sitio falló: " + err)
    sizes = {name: os.path.getsize(os.path.join(roomy, name)) for name in pages}

    # An older set in place; the new teachers' file fits, the groups' not.
    area = scratch.folder("lleno-pagina")
    mount_tmpfs(area, 8192)
    folder = os.path.join(area, "mtemp")
    os.makedirs(folder)
    import_setup(scratch, folder, 300, 10)
    older = {name: ("<p>página anterior: %s</p>\n" % name).encode() for name in pages}
    for name, content in older.items():
        write(os.path.join(area, name), content)
    fill_up(area, sizes["HorarioMirtavel-profesores.html"] +
            sizes["HorarioMirtavel-grupos.html"] // 2)
    code, out, err = cli.run("report", "--dir", folder, "--out",
                             os.path.join(area, "HorarioMirtavel.html"))
    print("  página en disco lleno: salida %d, %s" % (code, err.strip()))
    checks.expect(code == 2, "la página no falló (%d)" % code)
    checks.expect(spanish(err), "mensaje en inglés: " + err)
    checks.expect(any(name in err for name in pages), "el mensaje no nombra un archivo: " + err)
    checks.expect("espacio" in err, "el mensaje no dice que falta espacio: " + err)
    for name, content in older.items():
        checks.expect(read(os.path.join(area, name)) == content, "%s cambió" % name)
    checks.expect(sorted(os.listdir(area)) == sorted(pages + ["mtemp", "relleno"]),
                  "quedan archivos junto a la página: %s" % sorted(os.listdir(area)))


def wait_for_new_file(process, area, known):
    """Waits until the running command puts a new file beside the result;
    returns when, or None when the command ended first."""
    while process.poll() is None:
        if any(f not in known for f in os.listdir(area)):
            return time.monotonic()
        time.sleep(0.001)
    return None


def case_kill_import(cli, scratch, checks):
    folder = scratch.folder("importacion")
    document = import_setup(scratch, folder, 3000, 40)
    area = scratch.folder("documentos")
    xml = os.path.join(area, "centro.xml")
    write(xml, document)
    result = os.path.join(area, "ResultadoMirtavcentro.xml")
    older = b"<resultado antiguo/>\n"
    write(result, older)
    known = ["ResultadoMirtavcentro.xml", "centro.xml"]
    # How long the saving takes: from the first new file to the end.
    process = cli.start("import", xml, "--dir", folder)
    appeared = wait_for_new_file(process, area, known)
    process.communicate(timeout=300)
    ended = time.monotonic()
    checks.expect(process.returncode == 0, "la importación completa falló")
    complete = read(result)
    saving = ended - appeared if appeared else 0.05
    print("  importación completa: guardar %d bytes tarda %.3f s" % (len(complete), saving))
    points = 10
    outcomes = []
    for i in range(1, points + 1):
        write(result, older)
        process = cli.start("import", xml, "--dir", folder)
        if wait_for_new_file(process, area, known) is not None:
            time.sleep(saving * (i - 1) / points)
        process.send_signal(signal.SIGKILL)
        process.wait()
        content = read(result)
        where = "muerta %d/%d del guardado" % (i - 1, points)
        checks.expect(content in (older, complete), "%s: el resultado está a medias (%d bytes)"
                      % (where, len(content)))
        outcomes.append(("antiguo" if content == older else "nuevo" if content == complete
                         else "roto (%d bytes)" % len(content), sorted(os.listdir(area))))
        code, _, err = cli.run("import", xml, "--dir", folder)
        checks.expect(code == 0, "%s: la importación siguiente falló: %s" % (where, err))
        checks.expect(sorted(os.listdir(area)) == known,
                      "%s: quedan archivos tras la siguiente: %s" % (where, os.listdir(area)))
    for i, (state, files) in enumerate(outcomes):
        print("  muerta %d/%d del guardado: resultado %s, archivos %s" % (i, points, state, files))


def case_two_converters(cli, scratch, checks):
    document = school(16000, 12000, 4000, 4000, 80000)
    xml = os.path.join(scratch.root, "grande.xml")
    write(xml, document)
    new = scratch.exported_set("nuevo", document)
    folder = scratch.folder("compartida")
    old = scratch.exported_set("antiguo", school(30, 20, 10, 10, 60, label="antiguo", hours=6))
    scratch.lay_out(folder, old)
    lock = os.path.join(folder, "TransMirtavQuelmar.lock")
    first = cli.start("export", xml, "--dir", folder)
    while first.poll() is None and not os.path.exists(lock):
        time.sleep(0.001)
    before = {f: read(os.path.join(folder, f)) for f in folder_files(folder) if "~" not in f}
    for command in ["export", "import"]:
        started = time.monotonic()
        code, out, err = cli.run(command, xml, "--dir", folder)
        took = time.monotonic() - started
        print("  segunda %s: salida %d en %.2f s, %s" % (command, code, took, err.strip()))
        checks.expect(code == 2, "la segunda %s no se rechazó (%d)" % (command, code))
        checks.expect(folder in err and spanish(err),
                      "la segunda %s no nombra la carpeta en español: %s" % (command, err))
    # Refused at once: the first one still runs, and nothing of the older
    # tables changed meanwhile.
    checks.expect(first.poll() is None, "la primera exportación terminó antes de los rechazos")
    checks.expect(all(read(os.path.join(folder, f)) == content for f, content in before.items()),
                  "las tablas cambiaron mientras se rechazaban las segundas")
    out, err = first.communicate(timeout=300)
    checks.expect(first.returncode == 0, "la primera exportación falló: %s" % err.decode())
    check_tables(checks, folder, old, new, "tras las dos")
    for table in TABLES:
        checks.expect(undated(read(os.path.join(folder, table + ".DBF"))) == undated(new[table]),
                      "%s.DBF no es la de la primera exportación" % table)


CASES = {
    "kill-export": case_kill_export,
    "full-export": case_full_export,
    "full-import": case_full_import,
    "full-report": case_full_report,
    "kill-import": case_kill_import,
    "two-converters": case_two_converters,
}


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    # The full-disk cases mount small file systems: in a mount namespace of
    # their own, gone with this process.
    if os.geteuid() == 0 and os.environ.get("TMQ_FAULTS_NAMESPACE") != "1" and subprocess.run(
            ["unshare", "-m", "true"], stderr=subprocess.DEVNULL).returncode == 0:
        os.environ["TMQ_FAULTS_NAMESPACE"] = "1"
        os.execvp("unshare", ["unshare", "-m", "--propagation", "private", sys.executable,
                              *sys.argv])
    cli = Cli(os.path.abspath(sys.argv[1]))
    names = sys.argv[2:] or list(CASES)
    probe = tempfile.mkdtemp(prefix="tmq-probe-")
    can_mount = os.geteuid() == 0 and subprocess.run(
        ["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", probe],
        stderr=subprocess.DEVNULL).returncode == 0
    if can_mount:
        subprocess.run(["umount", probe])
    os.rmdir(probe)
    failed = 0
    passed = 0
    for name in names:
        if name.startswith("full-") and not can_mount:
            print("== %s: omitido (hace falta root en un espacio de montaje propio)" % name)
            continue
        print("== " + name)
        checks = Checks()
        scratch = Scratch(cli)
        try:
            CASES[name](cli, scratch, checks)
        finally:
            scratch.close()
        if checks.failures:
            failed += 1
        else:
            passed += 1
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
