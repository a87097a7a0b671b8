#!/usr/bin/env python3
"""Turns the link graphs CMake writes with --graphviz into one picture of
the layers: a row per layer, base at the bottom, the front ends on top.

Usage: layers-graph.py LINUX_LINKS.dot [WINDOWS_LINKS.dot]
The Windows graph adds the Win32 window and its launcher, which only the
cross build defines.
"""
import re
import sys

# Each target's layer and the folder it is built from.
TARGETS = {
    "tmq_base": (1, "base/"),
    "tmq_tables": (2, "tables/"), "tmq_xml": (2, "xml/"), "tmq_window": (2, "window/"),
    "tmq_frame": (3, "frame/"), "tmq_timetable": (3, "timetable/"),
    "tmq_export": (4, "export/"), "tmq_import": (4, "import/"), "tmq_page": (4, "page/"),
    "tmq_demo": (4, "demo/"),
    "tmq_app": (5, "app/"), "TransMirtavQuelmar": (5, "app/main.cpp"),
    "TransMirtavQuelmar.exe": (5, "win32/"), "tmq_win32": (5, "win32/ (común)"),
    "transmirtavquelmar-cli": (5, "cli/"),
    "transmirtavquelmar-horario": (5, "app/launcher/"),
    "transmirtavquelmar-horario.exe": (5, "win32/launcher/"),
}
LAYER_NAMES = {
    1: "1 · suelo: archivos, errores, página de códigos, cerrojo",
    2: "2 · tablas, documentos y lo común a las dos ventanas",
    3: "3 · marco de las órdenes y lectura del horario",
    4: "4 · órdenes",
    5: "5 · interfaces: ventana Qt, ventana Win32, línea de órdenes",
}
NODE = re.compile(r'^\s*"(node\d+)" \[ label = "([^"]+)"')
EDGE = re.compile(r'^\s*"(node\d+)" -> "(node\d+)"(?: \[ style = (\w+) \])?')


def read_links(path, rename):
    labels, edges = {}, set()
    for line in open(path, encoding="utf-8"):
        if match := NODE.match(line):
            labels[match[1]] = rename.get(match[2], match[2])
        elif match := EDGE.match(line):
            edges.add((match[1], match[2], match[3] or "solid"))
    return {(labels[a], labels[b], style) for a, b, style in edges
            if labels.get(a) in TARGETS and labels.get(b) in TARGETS}


def main():
    links = read_links(sys.argv[1], {})
    if len(sys.argv) > 2:
        windows = read_links(sys.argv[2], {"TransMirtavQuelmar": "TransMirtavQuelmar.exe",
                                           "transmirtavquelmar-horario":
                                           "transmirtavquelmar-horario.exe"})
        links |= {link for link in windows if link[0].endswith(".exe") or link[0] == "tmq_win32"}
    used = {name for link in links for name in link[:2]}

    print('digraph capas {')
    print('  rankdir=TB; newrank=true; nodesep=0.35; ranksep=0.55;')
    print('  node [shape=box, style="rounded,filled", fillcolor="#fff7e6", '
          'fontname="Liberation Sans", fontsize=11];')
    print('  edge [color="#555555", arrowsize=0.7];')
    print('  graph [fontname="Liberation Sans", fontsize=11, labeljust=l];')
    for layer, title in LAYER_NAMES.items():
        members = sorted(name for name in used if TARGETS[name][0] == layer)
        print(f'  subgraph cluster_{layer} {{ label="{title}"; style="rounded"; '
              f'color="#8899bb"; rank=same;')
        for name in members:
            shape = ', shape=ellipse, fillcolor="#e6f0ff"' if name[0] != "t" or "-" in name \
                else ""
            print(f'    "{name}" [label="{name}\\n{TARGETS[name][1]}"{shape}];')
        print('  }')
    for source, target, style in sorted(links):
        # CMake draws a private link dotted; here it is dashed, a public one solid.
        dashed = ', style=dashed' if style == "dotted" else ''
        print(f'  "{source}" -> "{target}" [dir=forward{dashed}];')
    print('}')


if __name__ == "__main__":
    main()
