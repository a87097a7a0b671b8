#!/usr/bin/python3
"""The timetable page of the sample cycle in a real browser, headless Chromium.

The sample school is exported, planned by the stand-in timetable and given
four more rows in SOLUC: a second lesson for MNP at Monday's first hour in a
room AULAT lacks (a clash and a missing partner), a row with DIA 0 and a row
of a teacher PROFT lacks. Then:

- its source parses as HTML without a single parse error (html5lib);
- Chromium loads the page with no console message, no error and no request
  but the page itself;
- its DOM (--dump-dom) holds one grid per teacher, group and room, every
  entry of the table of contents leads to one, and the marks are there;
- printed (--print-to-pdf) it is A4 landscape with one grid a page, each
  grid on a page of its own after the summary (pdfinfo, pdftotext);
- a screenshot is kept in the artefact folder.

Exits with 77 where Chromium or poppler-utils are missing.
Usage: page_in_browser.py CLI EXAMPLES_FOLDER ARTEFACT_FOLDER
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


def load_and_listen(page_url, profile):
    """Loads the page with the DevTools protocol; returns the URLs it
    requested and the console, log and exception entries it produced."""
    import websocket  # python3-websocket

    browser = subprocess.Popen([CHROMIUM, *FLAGS, f"--user-data-dir={profile}",
                                "--remote-debugging-port=0", "about:blank"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        port_file = pathlib.Path(profile) / "DevToolsActivePort"
        for _ in range(600):
            if port_file.exists() and port_file.read_text().count("\n") >= 1:
                break
            time.sleep(0.1)
        port = port_file.read_text().splitlines()[0]
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=30) as answer:
            targets = json.load(answer)
        target = next(t for t in targets if t["type"] == "page")
        socket = websocket.create_connection(target["webSocketDebuggerUrl"], timeout=60,
                                             suppress_origin=True)
        ids = iter(range(1, 1000))

        def send(method, params=None):
            number = next(ids)
            socket.send(json.dumps({"id": number, "method": method, "params": params or {}}))
            return number

        requests, messages = [], []

        def read_until(done):
            while True:
                message = json.loads(socket.recv())
                method = message.get("method")
                if method == "Network.requestWillBeSent":
                    requests.append(message["params"]["request"]["url"])
                elif method == "Log.entryAdded":
                    entry = message["params"]["entry"]
                    messages.append(f"{entry['level']}: {entry['text']}")
                elif method == "Runtime.consoleAPICalled":
                    messages.append(f"console.{message['params']['type']}")
                elif method == "Runtime.exceptionThrown":
                    messages.append(f"excepción: {message['params']['exceptionDetails']['text']}")
                if done(message):
                    return

        for domain in ("Network", "Log", "Runtime", "Page"):
            number = send(f"{domain}.enable")
            read_until(lambda m, n=number: m.get("id") == n)
        send("Page.navigate", {"url": page_url})
        read_until(lambda m: m.get("method") == "Page.loadEventFired")
        # Whatever the page caused comes before the answer to a later command.
        number = send("Runtime.evaluate", {"expression": "document.readyState"})
        read_until(lambda m: m.get("id") == number)
        socket.close()
        return requests, messages
    finally:
        browser.kill()
        browser.wait()


def main():
    cli, examples, artefacts = (pathlib.Path(a).resolve() for a in sys.argv[1:4])
    if CHROMIUM is None or shutil.which("pdfinfo") is None or shutil.which("pdftotext") is None:
        print("Sin chromium o sin poppler-utils: se omite")
        return 77
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
        page = work / "HorarioMirtavel.html"
        made = subprocess.run([str(cli), "report", "--dir", str(mtemp), "--out", str(page)],
                              capture_output=True, text=True, check=False)
        if made.returncode != 0:
            fail(f"report salió con {made.returncode}: {made.stderr}")
        url = page.as_uri()
        check_source(page)

        requests, messages = load_and_listen(url, work / "perfil-1")
        if requests != [url]:
            fail(f"la página pidió más que sí misma: {requests}")
        if messages:
            fail(f"la consola no está vacía: {messages}")
        print("ok: Chromium la carga sin mensajes en la consola y sin pedir nada más")

        dom = chromium(work / "perfil-2", "--dump-dom", url).stdout.decode("utf-8")
        check_dom(dom)

        pdf = work / "horario.pdf"
        chromium(work / "perfil-3", "--no-pdf-header-footer", f"--print-to-pdf={pdf}", url)
        check_pdf(pdf, dom)

        shot = artefacts / "horario.png"
        chromium(work / "perfil-4", "--window-size=1200,1500", f"--screenshot={shot}", url)
        if not shot.exists() or shot.stat().st_size == 0:
            fail("no hay captura de la página")
        print(f"ok: captura en {shot}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


def check_source(page):
    import html5lib  # python3-html5lib

    parser = html5lib.HTMLParser()
    parser.parse(page.read_bytes(), transport_encoding="utf-8")
    if parser.errors:
        fail(f"la página no es HTML sin errores: {parser.errors[:5]}")
    print("ok: el código de la página es HTML sin errores de análisis")


def grids_of(dom):
    """The grids' ids and headings, in page order."""
    found = re.findall(r'<section class="rejilla" id="([pga]\d+)"[^>]*>\s*<h2 id="h-\1">(.*?)</h2>',
                       dom, re.S)
    return [(grid, re.sub(r"<[^>]+>", "", heading)) for grid, heading in found]


def check_dom(dom):
    from lxml import html  # python3-lxml

    tree = html.fromstring(dom)
    grids = grids_of(dom)
    kinds = [grid[0] for grid, _ in grids]
    # 7 teachers, 4 groups, 6 rooms and the room X9 that AULAT lacks.
    if (kinds.count("p"), kinds.count("g"), kinds.count("a")) != (7, 4, 7):
        fail(f"las rejillas no son 7 de profesores, 4 de grupos y 7 de aulas: {kinds}")
    contents = [a.get("href")[1:] for a in tree.xpath('//nav[@id="indice"]//a')]
    if contents != [grid for grid, _ in grids]:
        fail(f"el índice no lleva a cada rejilla: {contents}")
    if tree.xpath("//script | //link | //img | //iframe | //*[@src]") or \
            any(not a.get("href").startswith("#") for a in tree.xpath("//a")) or \
            re.search(r"url\(|@import", "".join(tree.xpath("//style/text()"))):
        fail("la página tiene guiones o recursos de fuera")
    first = tree.xpath('//section[@id="p1"]')[0]
    clash = first.xpath('.//td[@class="x"]')
    if not clash or "Choque: 2 clases" not in clash[0].text_content():
        fail("la rejilla de MNP no marca el choque del lunes a primera hora")
    missing = first.xpath('.//div[@class="f"]')
    if not missing or "Aula 'X9': no está en AULAT" not in missing[0].text_content():
        fail("la rejilla de MNP no marca el aula que falta")
    summary = tree.xpath("//main")[0].text_content()
    for text in ("Filas de SOLUC sin colocar (DIA 0): 1", "Profesor 'ZZZ': 1 fila",
                 "Aula 'X9': no está en AULAT (1 clase)",
                 "Profesor Núñez Peña, María José: lunes, hora 1 (L1): 2 clases"):
        if text not in summary:
            fail(f"el resumen no dice «{text}»")
    print(f"ok: el DOM tiene {len(grids)} rejillas, el índice lleva a todas y las marcas están")


def check_pdf(pdf, dom):
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
    headings = [heading for _, heading in grids_of(dom)]
    where = [[n for n, sheet in enumerate(sheets) if heading in sheet] for heading in headings]
    if any(len(found) != 1 for found in where):
        fail(f"una rejilla no está en una sola hoja: {list(zip(headings, where))}")
    first = where[0][0]
    if [found[0] for found in where] != list(range(first, first + len(headings))) or \
            first + len(headings) != pages:
        fail(f"tras el resumen no va una rejilla por hoja: {where}, {pages} hojas")
    print(f"ok: impresa en A4 apaisado, {pages} hojas: {first} de resumen y "
          f"{len(headings)} con una rejilla cada una")


if __name__ == "__main__":
    sys.exit(main())
