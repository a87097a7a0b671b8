#!/usr/bin/python3
"""The timetable page of the sample cycle in a real browser, headless Chromium.

The sample school is exported, planned by the stand-in timetable and given
four more rows in SOLUC: a second lesson for MNP at Monday's first hour in a
room AULAT lacks (a clash and a missing partner), a row with DIA 0 and a row
of a teacher PROFT lacks. Then, for the index and the files beside it:

- their source parses as HTML without a single parse error (html5lib);
- Chromium loads the index with no console message, no error and no request
  but the page itself;
- the grid files (--dump-dom) hold one grid per teacher, group and room,
  every entry of the index leads to one, and the marks are there;
- printed (--print-to-pdf), a grid file is A4 landscape with one grid a
  sheet, and opened at one grid's address it prints that grid alone; every
  printed sheet of the index and the two views shows the title and stamp;
  a teacher's grid of 6 days of 12 hours with a score of clashes prints
  on one sheet;
- at 320 CSS px no cell's text runs out of its cell, and under forced
  colours the three marks keep distinct borders;
- axe-core (WCAG 2.1 A and AA, best practices) finds nothing on any file,
  nor on the index and teachers' grids of a generated district with
  repeated names and many clashes;
- a screenshot is kept in the artefact folder.

Exits with 77 where Chromium or poppler-utils are missing.
Usage: page_in_browser.py CLI EXAMPLES_FOLDER ARTEFACT_FOLDER AXE_JS
"""
import json
import os
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import urllib.request

CHROMIUM = shutil.which("chromium")
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--hide-scrollbars"]


def fail(message):
    print(f"FALLO: {message}", file=sys.stderr)
    sys.exit(1)


def append_rows(table, rows):
    """Appends rows, given as texts by field name, to a dBASE table."""
    data = bytearray(table.read_bytes())
    count, header_length, record_length = struct.unpack_from("<IHH", data, 4)
    fields = []
    at = 32
    while data[at] != 0x0D:
        name = data[at:at + 11].split(b"\0")[0].decode("ascii")
        fields.append((name, chr(data[at + 11]), data[at + 16]))
        at += 32
    end = header_length + count * record_length
    records = bytearray()
    for row in rows:
        record = bytearray(b" ")
        for name, kind, width in fields:
            value = row.get(name, "").encode("cp1252")
            record += value.ljust(width) if kind == "C" else value.rjust(width)
        assert len(record) == record_length
        records += record
    data[end:] = records + b"\x1a"
    struct.pack_into("<I", data, 4, count + len(rows))
    table.write_bytes(bytes(data))


def chromium(profile, *arguments, timeout=120):
    return subprocess.run([CHROMIUM, *FLAGS, f"--user-data-dir={profile}", *arguments],
                          capture_output=True, timeout=timeout, check=False)


class DevTools:
    """A headless Chromium driven through its DevTools protocol."""

    def __init__(self, profile):
        import websocket  # python3-websocket

        # A profile used before keeps the port of its last browser.
        (pathlib.Path(profile) / "DevToolsActivePort").unlink(missing_ok=True)
        self.browser = subprocess.Popen([CHROMIUM, *FLAGS, f"--user-data-dir={profile}",
                                         "--remote-debugging-port=0", "about:blank"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            port_file = pathlib.Path(profile) / "DevToolsActivePort"
            for _ in range(600):
                if port_file.exists() and port_file.read_text().count("\n") >= 1:
                    break
                time.sleep(0.1)
            port = port_file.read_text().splitlines()[0]
            with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list",
                                        timeout=30) as answer:
                targets = json.load(answer)
            target = next(t for t in targets if t["type"] == "page")
            self.socket = websocket.create_connection(target["webSocketDebuggerUrl"],
                                                      timeout=120, suppress_origin=True)
        except BaseException:
            self.close()
            raise
        self.ids = iter(range(1, 100000))
        self.requests, self.messages = [], []

    def close(self):
        if getattr(self, "socket", None) is not None:
            self.socket.close()
        self.browser.kill()
        self.browser.wait()

    def send(self, method, params=None):
        number = next(self.ids)
        self.socket.send(json.dumps({"id": number, "method": method, "params": params or {}}))
        return number

    def read_until(self, done):
        while True:
            message = json.loads(self.socket.recv())
            method = message.get("method")
            if method == "Network.requestWillBeSent":
                self.requests.append(message["params"]["request"]["url"])
            elif method == "Log.entryAdded":
                entry = message["params"]["entry"]
                self.messages.append(f"{entry['level']}: {entry['text']}")
            elif method == "Runtime.consoleAPICalled":
                self.messages.append(f"console.{message['params']['type']}")
            elif method == "Runtime.exceptionThrown":
                self.messages.append(
                    f"excepción: {message['params']['exceptionDetails']['text']}")
            if done(message):
                return message

    def call(self, method, params=None):
        number = self.send(method, params)
        return self.read_until(lambda m: m.get("id") == number)

    def load(self, page_url):
        for domain in ("Network", "Log", "Runtime", "Page"):
            self.call(f"{domain}.enable")
        self.send("Page.navigate", {"url": page_url})
        self.read_until(lambda m: m.get("method") == "Page.loadEventFired")
        # Whatever the page caused comes before the answer to a later command.
        self.evaluate("document.readyState")

    def evaluate(self, expression):
        answer = self.call("Runtime.evaluate", {"expression": expression, "awaitPromise": True,
                                                "returnByValue": True})
        result = answer.get("result", {})
        if "exceptionDetails" in result:
            fail(f"error al evaluar en la página: {result['exceptionDetails']}")
        return result.get("result", {}).get("value")


def load_and_listen(page_url, profile):
    """Loads the page; returns the URLs it requested and the console, log
    and exception entries it produced."""
    browser = DevTools(profile)
    try:
        browser.load(page_url)
        return browser.requests, browser.messages
    finally:
        browser.close()


def axe_violations(page_url, profile, axe):
    """The violations axe-core finds on the page: WCAG 2.1 A and AA rules
    and best practices, as "rule: how many nodes" lines."""
    browser = DevTools(profile)
    try:
        browser.load(page_url)
        browser.evaluate(axe.read_text(encoding="utf-8") + "\n;0")
        found = browser.evaluate(
            "axe.run(document, {runOnly: {type: 'tag', values: ['wcag2a', 'wcag2aa', "
            "'wcag21a', 'wcag21aa', 'best-practice']}, resultTypes: ['violations']})"
            ".then(r => r.violations.map(v => v.id + ': ' + v.nodes.length + ' · ' + "
            "v.nodes.slice(0, 2).map(n => n.target.join(' ')).join(' | ')))")
        return found
    finally:
        browser.close()


SET = ["", "-profesores", "-grupos", "-aulas", "-libres", "-plantilla"]


def page_set(index):
    """The files of the set whose index is `index`, the index first."""
    return [index.with_name(index.stem + suffix + index.suffix) for suffix in SET]


def main():
    cli, examples, artefacts, axe = (pathlib.Path(a).resolve() for a in sys.argv[1:5])
    if CHROMIUM is None or shutil.which("pdfinfo") is None or shutil.which("pdftotext") is None:
        print("Sin chromium o sin poppler-utils: se omite")
        return 77
    if not axe.is_file():
        fail(f"falta axe-core ({axe}): ejecute scripts/setup.sh")
    artefacts.mkdir(parents=True, exist_ok=True)
    work = pathlib.Path(tempfile.mkdtemp())
    try:
        mtemp = work / "mtemp"
        mtemp.mkdir()
        shutil.copy(examples / "centro.xml", work)
        for command in (["export", str(work / "centro.xml")], ["demo-timetable"]):
            subprocess.run([str(cli), *command, "--dir", str(mtemp)], check=True,
                           capture_output=True)
        append_rows(mtemp / "SOLUC.DBF", [
            {"PROF": "MNP", "ASIG": "MAT", "DIA": "1", "HORA": "1", "AULA": "X9",
             "CODGRUPO": "1A"},
            {"PROF": "MNP", "ASIG": "MAT", "DIA": "0", "HORA": "0", "AULA": "A1",
             "CODGRUPO": "1A"},
            {"PROF": "ZZZ", "ASIG": "MAT", "DIA": "1", "HORA": "2", "AULA": "A1",
             "CODGRUPO": "1A"},
        ])
        index = work / "HorarioMirtavel.html"
        made = subprocess.run([str(cli), "report", str(work / "centro.xml"), "--dir", str(mtemp),
                               "--out", str(index)], capture_output=True, text=True, check=False)
        if made.returncode != 0:
            fail(f"report salió con {made.returncode}: {made.stderr}")
        files = page_set(index)
        for page in files:
            check_source(page)
        print(f"ok: el código de las {len(files)} páginas es HTML sin errores de análisis")

        url = index.as_uri()
        requests, messages = load_and_listen(url, work / "perfil-1")
        if requests != [url]:
            fail(f"la página pidió más que sí misma: {requests}")
        if messages:
            fail(f"la consola no está vacía: {messages}")
        print("ok: Chromium carga el índice sin mensajes en la consola y sin pedir nada más")

        doms = {page.name: chromium(work / "perfil-2", "--dump-dom", page.as_uri())
                .stdout.decode("utf-8") for page in files[:4]}
        check_dom(doms, files)

        for n, page in enumerate(files[1:4]):
            pdf = work / f"rejillas-{n}.pdf"
            chromium(work / "perfil-3", "--no-pdf-header-footer", f"--print-to-pdf={pdf}",
                     page.as_uri())
            check_pdf(pdf, grids_of(doms[page.name]), page.name)
        one = work / "una.pdf"
        chromium(work / "perfil-3", "--no-pdf-header-footer", f"--print-to-pdf={one}",
                 files[1].as_uri() + "#p3")
        heading = dict(grids_of(doms[files[1].name]))["p3"]
        check_pdf(one, [("p3", heading)], files[1].name + "#p3")

        for n, page in enumerate([files[0], files[4], files[5]]):
            pdf = work / f"vista-{n}.pdf"
            chromium(work / "perfil-3", "--no-pdf-header-footer", f"--print-to-pdf={pdf}",
                     page.as_uri())
            check_stamp_on_every_sheet(pdf, page.name)

        check_long_week_with_clashes(cli, examples, work)

        check_layout(files[1].as_uri(), url, files[5].as_uri(), work / "perfil-5")

        for page in files:
            found = axe_violations(page.as_uri(), work / "perfil-6", axe)
            if found:
                fail(f"axe-core encuentra fallos en {page.name}: {found}")
        print(f"ok: axe-core no encuentra fallos en ninguna de las {len(files)} páginas")

        district = work / "distrito"
        district.mkdir()
        make_district(cli, examples, district)
        district_index = work / "Distrito.html"
        subprocess.run([str(cli), "report", "--dir", str(district), "--out",
                        str(district_index)], check=True, capture_output=True)
        for page in page_set(district_index)[:2]:
            found = axe_violations(page.as_uri(), work / "perfil-7", axe)
            if found:
                fail(f"axe-core encuentra fallos en el distrito, {page.name}: {found}")
        print("ok: axe-core no encuentra fallos en el índice ni en las rejillas de un distrito")

        shot = artefacts / "horario.png"
        chromium(work / "perfil-4", "--window-size=1200,1500", f"--screenshot={shot}",
                 files[1].as_uri())
        if not shot.exists() or shot.stat().st_size == 0:
            fail("no hay captura de la página")
        print(f"ok: captura en {shot}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


def make_district(cli, examples, folder):
    """The sample school exported, then grown to 60 teachers, 30 groups and
    30 rooms, many sharing a name, with 1,500 lessons placed at random."""
    import random

    shutil.copy(examples / "centro.xml", folder)
    subprocess.run([str(cli), "export", str(folder / "centro.xml"), "--dir", str(folder)],
                   check=True, capture_output=True)
    rng = random.Random(21)
    append_rows(folder / "PROFT.DBF", [
        {"ABREV": f"T{n:03}", "NOMBRE": f"García López, {['Ana', 'Luis', 'Eva'][n % 3]}",
         "X_EMPLEADO": str(20000 + n), "F_TOMAPOS": "01/09/2019"} for n in range(60)])
    append_rows(folder / "GRUPOST.DBF", [
        {"ABREV": f"G{n:02}", "CURSO": f"{n % 4 + 1}", "NIVEL": "ESO", "GRUPO": "A",
         "UNIDAD": str(30000 + n)} for n in range(30)])
    append_rows(folder / "AULAT.DBF", [
        {"ABREV": f"R{n:02}", "NOMBRE": "Aula de música" if n % 2 else "Laboratorio",
         "DEPCENTRO": str(40000 + n)} for n in range(30)])
    slots = dbf_column(folder / "DIASHORAST.DBF", "DIHO")
    places = [(str("LMXJV".index(s[0]) + 1), s[1:]) for s in slots
              if s and s[0] in "LMXJV" and s[1:].isdigit()]
    rows = []
    for n in range(1500):
        day, hour = rng.choice(places)
        rows.append({"PROF": f"T{rng.randrange(60):03}", "ASIG": "MAT", "DIA": day, "HORA": hour,
                     "AULA": f"R{rng.randrange(30):02}", "CODGRUPO": f"G{rng.randrange(30):02}"})
    subprocess.run([str(cli), "demo-timetable", "--dir", str(folder)], check=True,
                   capture_output=True)
    append_rows(folder / "SOLUC.DBF", rows)


def check_long_week_with_clashes(cli, examples, work):
    """A week of 6 days of 12 hours, every cell of MNP's grid taught and
    a dozen cells taught three times over: the grid still prints on one
    sheet, with its clashes marked."""
    folder = work / "semana-larga"
    folder.mkdir()
    shutil.copy(examples / "centro.xml", folder)
    for command in (["export", str(folder / "centro.xml")], ["demo-timetable"]):
        subprocess.run([str(cli), *command, "--dir", str(folder)], check=True,
                       capture_output=True)
    known = set(dbf_column(folder / "DIASHORAST.DBF", "DIHO"))
    append_rows(folder / "DIASHORAST.DBF", [
        {"DIHO": f"{'LMXJVS'[day]}{hour}", "CODDIHO": str(490000 + day * 20 + hour),
         "DIA": str(day + 1), "HORADESDE": f"{7 + hour:02}:00", "HORAHASTA": f"{7 + hour:02}:55"}
        for day in range(6) for hour in range(1, 13) if f"{'LMXJVS'[day]}{hour}" not in known])
    lesson = {"PROF": "MNP", "ASIG": "MAT", "AULA": "A1", "CODGRUPO": "1A"}
    rows = [dict(lesson, DIA=str(day + 1), HORA=str(hour))
            for day in range(6) for hour in range(1, 13)]
    rows += [dict(lesson, DIA=str(hour % 6 + 1), HORA=str(hour), AULA=room)
             for hour in range(1, 13) for room in ("A2", "A3")]
    append_rows(folder / "SOLUC.DBF", rows)
    index = work / "SemanaLarga.html"
    subprocess.run([str(cli), "report", str(folder / "centro.xml"), "--dir", str(folder),
                    "--out", str(index)], check=True, capture_output=True)
    grids = page_set(index)[1]
    dom = chromium(work / "perfil-8", "--dump-dom", grids.as_uri()).stdout.decode("utf-8")
    heading = dict(grids_of(dom))["p1"]
    section = dom[dom.index('id="p1"'):dom.index("</section>", dom.index('id="p1"'))]
    if section.count("<th scope=\"row\">") != 12 or section.count('class="x"') < 12 or \
            "Choque: 3 clases" not in section:
        fail("la semana larga no da a MNP 12 horas y una docena de choques")
    pdf = work / "semana-larga.pdf"
    chromium(work / "perfil-8", "--no-pdf-header-footer", f"--print-to-pdf={pdf}",
             grids.as_uri() + "#p1")
    check_pdf(pdf, [("p1", heading)], grids.name + "#p1 (12 horas, 6 días y choques)")


def dbf_column(table, name):
    """The texts of one field of a dBASE table."""
    data = table.read_bytes()
    count, header_length, record_length = struct.unpack_from("<IHH", data, 4)
    at, offset, field = 32, 1, None
    while data[at] != 0x0D:
        width = data[at + 16]
        if data[at:at + 11].split(b"\0")[0].decode("ascii") == name:
            field = (offset, width)
        offset += width
        at += 32
    start = header_length
    return [data[start + r * record_length + field[0]:start + r * record_length + field[0] +
                 field[1]].decode("cp1252").strip() for r in range(count)]


def check_layout(grids_url, index_url, staff_url, profile):
    """At 320 CSS px no cell's content is wider than its cell, in the grids
    and in the whole staff's table; under forced colours the clash, the
    missing partner and "sin tramo" keep borders of their own, none of them
    plain, in the grids and in the legend."""
    marks = "['td.x', 'div.f', '.leyenda .x', '.leyenda .f', '.leyenda .v'].map(s => {" \
            "const e = document.querySelector(s); if (!e) return null;" \
            "const c = getComputedStyle(e); return c.borderTopStyle + ' ' + c.borderTopWidth})"
    browser = DevTools(profile)
    try:
        browser.call("Emulation.setDeviceMetricsOverride",
                     {"width": 320, "height": 800, "deviceScaleFactor": 1, "mobile": False})
        for url in (staff_url, grids_url):
            browser.load(url)
            wider = browser.evaluate(
                "[...document.querySelectorAll('td, th')].filter(c => c.scrollWidth > "
                "c.clientWidth + 1).length")
            if wider:
                fail(f"a 320 px el texto de {wider} casillas se sale de ellas: {url}")
        browser.call("Emulation.setEmulatedMedia",
                     {"features": [{"name": "forced-colors", "value": "active"}]})
        in_grids = browser.evaluate(marks)[:2]
        browser.load(index_url)
        in_legend = browser.evaluate(marks)[2:]
    finally:
        browser.close()
    if None in in_grids + in_legend or in_grids != in_legend[:2] or len(set(in_legend)) != 3 \
            or any(style.startswith("solid") for style in in_legend):
        fail(f"con colores forzados las marcas no se distinguen: {in_grids}, {in_legend}")
    print(f"ok: a 320 px ningún texto se sale de su casilla; con colores forzados las marcas "
          f"llevan bordes distintos: {in_legend}")


def check_source(page):
    import html5lib  # python3-html5lib

    parser = html5lib.HTMLParser()
    parser.parse(page.read_bytes(), transport_encoding="utf-8")
    if parser.errors:
        fail(f"{page.name} no es HTML sin errores: {parser.errors[:5]}")


def grids_of(dom):
    """The grids' ids and headings, in page order."""
    found = re.findall(r'<section class="rejilla" id="([pga]\d+)"[^>]*>\s*<h2 id="h-\1">(.*?)</h2>',
                       dom, re.S)
    return [(grid, re.sub(r"<[^>]+>", "", heading)) for grid, heading in found]


def check_dom(doms, files):
    from lxml import html  # python3-lxml

    index = html.fromstring(doms[files[0].name])
    grids = {page.name: grids_of(doms[page.name]) for page in files[1:4]}
    kinds = [[grid[0] for grid, _ in found] for found in grids.values()]
    # 7 teachers, 4 groups, 6 rooms and the room X9 that AULAT lacks.
    if [(k[0], len(k)) for k in kinds] != [("p", 7), ("g", 4), ("a", 7)] or \
            any(len(set(k)) != 1 for k in kinds):
        fail(f"las rejillas no son 7 de profesores, 4 de grupos y 7 de aulas: {kinds}")
    contents = [a.get("href") for a in index.xpath('//nav[@id="indice"]//li/a')]
    expected = [f"{name}#{grid}" for name, found in grids.items() for grid, _ in found]
    if sorted(contents) != sorted(expected):
        fail(f"el índice no lleva a cada rejilla: {contents}")
    for dom in doms.values():
        tree = html.fromstring(dom)
        if tree.xpath("//script | //link | //img | //iframe | //*[@src] | //*[@title]") or \
                any(a.get("href").startswith(("http:", "https:", "/")) for a in tree.xpath("//a")) \
                or re.search(r"url\(|@import", "".join(tree.xpath("//style/text()"))):
            fail("una página tiene guiones, recursos de fuera o textos solo bajo el puntero")
    teachers = html.fromstring(doms[files[1].name])
    first = teachers.xpath('//section[@id="p1"]')[0]
    clash = first.xpath('.//td[@class="x"]')
    if not clash or "Choque: 2 clases" not in clash[0].text_content():
        fail("la rejilla de MNP no marca el choque del lunes a primera hora")
    missing = first.xpath('.//div[@class="f"]')
    if not missing or "Aula 'X9': no está en AULAT" not in missing[0].text_content() or \
            "X9 (sin valor)" not in missing[0].text_content():
        fail("la rejilla de MNP no marca el aula que falta")
    link = index.xpath('//a[starts-with(@href, "HorarioMirtavel-profesores.html#p1-")]')
    if not link or not teachers.xpath(f'//td[@id="{link[0].get("href").split("#")[1]}"]'):
        fail("el choque de MNP no lleva a su casilla")
    summary = index.xpath("//main")[0].text_content()
    for text in ("Filas de SOLUC sin colocar (DIA 0): 1", "Profesor 'ZZZ': 1 fila",
                 "Aula 'X9': no está en AULAT (1 clase)",
                 "Profesor Núñez Peña, María José: lunes, hora 1 (L1): 2 clases",
                 "IES Peñas Blancas"):
        if text not in summary and text not in index.text_content():
            fail(f"el índice no dice «{text}»")
    print(f"ok: {sum(map(len, kinds))} rejillas en tres páginas, el índice lleva a todas y "
          f"las marcas están")


def check_stamp_on_every_sheet(pdf, name):
    """Every printed sheet of a file that is not a file of grids ends with
    the file's title, the working folder, when SOLUC was written and when
    the page was made, and its number."""
    text = subprocess.run(["pdftotext", "-layout", str(pdf), "-"], capture_output=True,
                          text=True, check=True).stdout
    sheets = [sheet for sheet in text.split("\f") if sheet.strip()]
    stamp = re.compile(r"Horario de Mirtavel.* · Carpeta .*SOLUC del \d\d/\d\d/\d{4} "
                       r"\d\d:\d\d · hecha el \d\d/\d\d/\d{4}", re.S)
    unstamped = [n + 1 for n, sheet in enumerate(sheets)
                 if not stamp.search(sheet) or f"Hoja {n + 1} de {len(sheets)}" not in sheet]
    if unstamped:
        fail(f"{name}: hojas impresas sin el sello: {unstamped} de {len(sheets)}")
    print(f"ok: {name} lleva el título y el sello en sus {len(sheets)} hojas impresas")


def check_pdf(pdf, grids, name):
    info = subprocess.run(["pdfinfo", str(pdf)], capture_output=True, text=True,
                          check=True).stdout
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    size = re.search(r"^Page size:\s+([\d.]+) x ([\d.]+) pts", info, re.M)
    width, height = float(size.group(1)), float(size.group(2))
    if abs(width - 841.9) > 1 or abs(height - 595.3) > 1:
        fail(f"la hoja no es A4 apaisada: {width} x {height} puntos")
    text = subprocess.run(["pdftotext", "-layout", str(pdf), "-"], capture_output=True,
                          text=True, check=True).stdout
    sheets = text.split("\f")[:pages]
    where = [[n for n, sheet in enumerate(sheets) if heading in sheet] for _, heading in grids]
    if [found for found in where] != [[n] for n in range(len(grids))] or pages != len(grids):
        fail(f"{name}: no va una rejilla por hoja: {where}, {pages} hojas")
    print(f"ok: {name} impresa en A4 apaisado, {pages} hojas con una rejilla cada una")


if __name__ == "__main__":
    sys.exit(main())
