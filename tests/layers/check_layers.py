#!/usr/bin/env python3
"""Fails on an #include that runs against the layers of the source folders.

Each folder may include from itself and from the layers below its own; an
include of a folder on the same layer (sideways) or above it (upward) is
named with its file and line. The tests of a command may also include the
other commands, to drive the whole cycle, and every test the tests' support.
Window toolkits (Qt, the Win32 controls) are included only by the windows.

Usage: check_layers.py PROJECT_FOLDER
"""
import pathlib
import re
import sys

# Bottom to top; the front ends are the top.
LAYERS = {
    "base": 1,
    "tables": 2, "xml": 2, "window": 2,
    "frame": 3, "timetable": 3,
    "export": 4, "import": 4, "page": 4, "demo": 4,
    "app": 5, "win32": 5, "cli": 5,
}
# The tests of a command may run the other commands: the whole cycle.
COMMANDS_LAYER = LAYERS["export"]
# Folders of tests and tools that are not a layer of the program, with the
# highest layer they may include (the tests' support sits on the frame).
HELPERS = {
    "tests/support": 3,
    "tests/fuzz": 4,
    "bench": 4,
}
TOOLKIT_HEADERS = re.compile(r"Q[A-Za-z]+|qt[a-z]*/|commctrl\.h|commdlg\.h|windowsx\.h|"
                             r"uxtheme\.h|oleacc\.h|shellscalingapi\.h")
TOOLKIT_FOLDERS = {"app", "win32"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".c", ".rc"}


def owner(relative):
    """(folder, layer, is_test) for a file, or None when no rule covers it."""
    parts = relative.parts
    for helper, top in HELPERS.items():
        if relative.as_posix().startswith(helper + "/"):
            return helper, top, True
    if parts[0] == "tests" and len(parts) > 2 and parts[1] in LAYERS:
        return parts[1], LAYERS[parts[1]], True
    if parts[0] in LAYERS and len(parts) > 1:
        return parts[0], LAYERS[parts[0]], False
    return None


def verdict(folder, layer, is_test, included, beside):
    """Why the include breaks the layers, or None when it keeps them."""
    if "/" not in included and (beside / included).exists():
        return None
    target = included.split("/")[0] if "/" in included else ""
    if target == folder.split("/")[-1] or included.startswith(folder + "/"):
        return None
    if is_test and (target == "support" or (folder.startswith("tests/") and
                                            included.startswith(folder[len("tests/"):] + "/"))):
        return None
    if folder == "bench" and target == "bench":
        return None
    if target not in LAYERS:
        return f'"{included}" no es de ninguna capa: se incluye como "carpeta/archivo.h"'
    there = LAYERS[target]
    if there > layer:
        return f"sube de la capa {layer} ({folder}) a la {there} ({target})"
    if there == layer and folder not in HELPERS and not (is_test and layer == COMMANDS_LAYER):
        return f"va de lado, de {folder} a {target}, en la capa {layer}"
    return None


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    problems = []
    checked = 0
    for path in sorted(root.rglob("*")):
        relative = path.relative_to(root)
        if path.suffix not in SOURCE_SUFFIXES or relative.parts[0].startswith(("build", ".")):
            continue
        rule = owner(relative)
        if rule is None:
            continue
        folder, layer, is_test = rule
        checked += 1
        lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
        for number, line in enumerate(lines, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, included = match.groups()
            if kind == '"':
                why = verdict(folder, layer, is_test, included, path.parent)
            elif TOOLKIT_HEADERS.match(included) and folder.split("/")[-1] not in TOOLKIT_FOLDERS:
                why = f"<{included}> es de un juego de ventanas, solo para app/ y win32/"
            else:
                why = None
            if why:
                shown = f'"{included}"' if kind == '"' else f"<{included}>"
                problems.append(f"{relative}:{number}: #include {shown}: {why}")
    for problem in problems:
        print(problem)
    print(f"{checked} archivos, {len(problems)} inclusiones contra las capas")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
