#!/usr/bin/env python3
"""Writes AVISOS-TERCEROS.txt, the copyright and licence notices of what the
Windows programs link statically, from the copyright files Debian publishes
for it: the source packages scripts/windows-deps.sh unpacks (libxml2, gdal
for shapelib's table code) and the cross compiler's packages installed on
this machine (the mingw-w64 runtime with winpthreads, GCC's libstdc++ and
libgcc). Nothing here is typed by hand but the Spanish headings.

  third_party_notices.py DEPS_FOLDER OUT [DOC_FOLDER]

DEPS_FOLDER is scripts/windows-deps.sh's folder (.deps-windows); DOC_FOLDER
is where the installed packages' copyright files are (/usr/share/doc).
"""

import fnmatch
import glob
import os
import re
import subprocess
import sys
import tarfile

# The files of gdal's source that the Windows build compiles.
SHAPELIB_FILES = ["ogr/ogrsf_frmts/shape/dbfopen.c", "ogr/ogrsf_frmts/shape/shapefil.h"]
# What a selection keeps of a copyright file's header: whose work it is.
HEADER_FIELDS = ["Upstream-Name", "Upstream-Contact", "Source"]
MINGW_PACKAGE = "mingw-w64-x86-64-dev"
SHAPELIB_PACKAGE = "libshp-dev"
GCC_PACKAGE = "gcc-mingw-w64-base"

INTRODUCTION = """\
Avisos de terceros de TransMirtavQuelmar para Windows
=====================================================

Los programas de TransMirtavQuelmar para Windows (los archivos .exe que
acompañan a este texto) llevan enlazadas dentro partes de las bibliotecas
siguientes. Sus licencias piden que cada copia lleve sus avisos de derechos
de autor y de licencia, que se reproducen abajo tal como los publica Debian,
de cuyos paquetes se construyen los programas.
"""


class NoticeError(Exception):
    pass


def paragraphs(text):
    """Splits a Debian copyright file into its paragraphs, each as its lines."""
    result, current = [], []
    for line in text.splitlines():
        if line.strip():
            current.append(line.rstrip())
        elif current:
            result.append(current)
            current = []
    if current:
        result.append(current)
    return result


def field(paragraph, name):
    """The value of a field of a machine-readable copyright paragraph, its
    continuation lines joined by newlines; None when it has no such field."""
    value = None
    for line in paragraph:
        if value is not None and line[:1] in (" ", "\t"):
            value += "\n" + line.strip()
        elif value is not None:
            break
        elif line.startswith(name + ":"):
            value = line[len(name) + 1:].strip()
    return value


def licence_names(expression):
    """The licence short names of a License field's first line."""
    expression = re.sub(r"\bwith\s+\S+\s+exception\b", "", expression)
    return [name for name in re.split(r"\s+(?:or|and)\s+|,\s*", expression) if name]


def dep5_selection(text, files, where):
    """The header, the Files paragraphs that govern FILES (the last matching
    one for each, as the format says) and the licence paragraphs they name."""
    parts = paragraphs(text)
    if not parts or not field(parts[0], "Format"):
        raise NoticeError(f"{where}: no es un archivo de copyright legible por máquina")
    chosen = []
    for path in files:
        governing = None
        for paragraph in parts:
            patterns = (field(paragraph, "Files") or "").split()
            if any(fnmatch.fnmatchcase(path, pattern) for pattern in patterns):
                governing = paragraph
        if governing is None:
            raise NoticeError(f"{where}: ningún párrafo Files cubre {path}")
        if governing not in chosen:
            chosen.append(governing)
    names = set()
    for paragraph in chosen:
        names.update(licence_names(field(paragraph, "License").split("\n")[0]))
    licences = [p for p in parts if field(p, "Files") is None and field(p, "License") is not None
                and field(p, "License").split("\n")[0] in names]
    header = [f"{name}: {field(parts[0], name)}" for name in HEADER_FIELDS if field(parts[0], name)]
    return "\n\n".join("\n".join(p) for p in [header] + chosen + licences)


def between(text, first, last, where):
    """The lines of TEXT from the one starting with FIRST to the one holding LAST."""
    lines = text.splitlines()
    start = next((i for i, line in enumerate(lines) if line.startswith(first)), None)
    end = next((i for i, line in enumerate(lines) if start is not None and i >= start and last in line), None)
    if start is None or end is None:
        raise NoticeError(f"{where}: no se encuentra el texto de «{first}» a «{last}»")
    return "\n".join(line.rstrip() for line in lines[start:end + 1])


def leading_comment(path):
    """The comment that opens a C file: its copyright notice."""
    with open(path, encoding="utf-8", errors="replace") as source:
        text = source.read()
    match = re.match(r"\s*(/\*.*?\*/)", text, re.S)
    if not match:
        raise NoticeError(f"{path}: no empieza con un comentario de copyright")
    return match.group(1)


def read(path):
    try:
        with open(path, encoding="utf-8") as copyright_file:
            return copyright_file.read()
    except OSError as error:
        raise NoticeError(f"{path}: no se puede leer ({error.strerror})") from error


def only(pattern, what):
    found = sorted(glob.glob(pattern))
    if len(found) != 1:
        raise NoticeError(f"{what}: se esperaba un solo {pattern}, hay {len(found)}; "
                          "ejecute scripts/windows-deps.sh")
    return found[0]


def source_version(dsc):
    """The version a source package's description file names."""
    for line in read(dsc).splitlines():
        if line.startswith("Version:"):
            return line.split(":", 1)[1].strip()
    raise NoticeError(f"{dsc}: no dice su versión")


def installed_version(package):
    try:
        return subprocess.run(["dpkg-query", "-W", "-f=${Version}", package], check=True,
                              capture_output=True, text=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError) as error:
        raise NoticeError(f"el paquete {package} no está instalado") from error


def shapelib_section(source, doc):
    """shapelib's notices, from gdal's Debian copyright file."""
    notice = leading_comment(os.path.join(source, "shapelib", "dbfopen.c"))
    title = "las tablas dBASE, del código de shapelib incluido en gdal"
    if not glob.glob(os.path.join(source, "gdal_*.debian.tar.*")):
        # A mirror may serve gdal's original source without its Debian part;
        # then the copyright file Debian publishes for shapelib itself, whose
        # table code gdal carries, gives the same notices.
        orig = only(os.path.join(source, "gdal_*.orig.tar.*"), "gdal")
        gdal_version = os.path.basename(orig).split("_", 1)[1].split(".orig.tar")[0]
        shapelib = os.path.join(doc, SHAPELIB_PACKAGE, "copyright")
        shapelib_version = installed_version(SHAPELIB_PACKAGE)
        return (f"shapelib (dbfopen.c de gdal {gdal_version})", title,
                f"{shapelib}, paquete {SHAPELIB_PACKAGE} {shapelib_version}, y el aviso de dbfopen.c",
                read(shapelib) + "\n\n" + notice)
    gdal_tarball = only(os.path.join(source, "gdal_*.debian.tar.*"), "gdal")
    gdal_version = source_version(only(os.path.join(source, "gdal_*.dsc"), "gdal"))
    with tarfile.open(gdal_tarball) as tar:
        member = tar.extractfile("debian/copyright")
        if member is None:
            raise NoticeError(f"{gdal_tarball}: no contiene debian/copyright")
        gdal_copyright = member.read().decode("utf-8")
    return (f"shapelib (dbfopen.c de gdal {gdal_version})", title,
            f"debian/copyright del paquete de fuentes gdal {gdal_version}, párrafos de "
            + " y ".join(SHAPELIB_FILES) + ", y el aviso de dbfopen.c",
            dep5_selection(gdal_copyright, SHAPELIB_FILES, gdal_tarball) + "\n\n" + notice)


def sections(deps, doc):
    source = os.path.join(deps, "src")

    libxml2 = only(os.path.join(source, "libxml2-*", "debian", "copyright"), "libxml2")
    libxml2_version = source_version(only(os.path.join(source, "libxml2_*.dsc"), "libxml2"))
    yield (f"libxml2 {libxml2_version}", "el análisis y la escritura de documentos XML",
           f"debian/copyright del paquete de fuentes libxml2 {libxml2_version}", read(libxml2))

    yield shapelib_section(source, doc)

    mingw = os.path.join(doc, MINGW_PACKAGE, "copyright")
    mingw_version = installed_version(MINGW_PACKAGE)
    yield (f"mingw-w64 {mingw_version}", "la biblioteca de ejecución de C y winpthreads (hilos POSIX)",
           f"{mingw}, paquete {MINGW_PACKAGE} {mingw_version}", read(mingw))

    gcc = os.path.join(doc, GCC_PACKAGE, "copyright")
    gcc_text = read(gcc)
    gcc_version = installed_version(GCC_PACKAGE)
    yield (f"GCC {gcc_version} (libstdc++ y libgcc)",
           "la biblioteca de C++ y el soporte de ejecución del compilador",
           f"{gcc}, paquete {GCC_PACKAGE} {gcc_version}",
           "libstdc++ y libgcc se distribuyen con la GPL versión 3 y la excepción de\n"
           "biblioteca de ejecución de GCC (GCC Runtime Library Exception) 3.1, que\n"
           "permite distribuir los programas compilados con ellas en las condiciones\n"
           "que elija su autor. Del archivo de copyright:\n\n"
           + between(gcc_text, "GCC is Copyright", "- libvtv", gcc) + "\n\n"
           + between(gcc_text, "GCC RUNTIME LIBRARY EXCEPTION",
                     "requirements of the license of GCC.", gcc))


def notices(deps, doc):
    parts = list(sections(deps, doc))
    index = "\n".join(f"{n}. {name}: {purpose}" for n, (name, purpose, _, _) in enumerate(parts, 1))
    bodies = []
    for n, (name, _, origin, text) in enumerate(parts, 1):
        title = f"{n}. {name}"
        bodies.append(f"{'=' * 76}\n{title}\n{'=' * 76}\nOrigen: {origin}\n\n{text.strip()}\n")
    return INTRODUCTION + "\n" + index + "\n\n" + "\n".join(bodies)


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    deps, out = argv[1], argv[2]
    doc = argv[3] if len(argv) == 4 else "/usr/share/doc"
    try:
        text = notices(deps, doc)
    except NoticeError as error:
        print(f"AVISOS-TERCEROS.txt: {error}", file=sys.stderr)
        return 1
    # Windows line ends, so that Notepad shows it right; written whole or not at all.
    partial = out + ".part"
    with open(partial, "w", encoding="utf-8", newline="\r\n") as result:
        result.write(text)
    os.replace(partial, out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
