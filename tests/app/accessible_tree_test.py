#!/usr/bin/python3
"""Reads the window's accessible tree as a screen reader on Linux reads it.

Starts the window program on a private X display and, under a private
session bus (run this under dbus-run-session), reads it through AT-SPI: the
window is a dialog named by its caption; the version and the headings are
labels with their texts; each button is a push button named by its caption,
the two "Aceptar" described by the headings of their commands; only the
buttons take the focus. Exits with 77 (skipped) where the display, the bus or
pyatspi is missing.

Usage: dbus-run-session -- accessible_tree_test.py WINDOW_PROGRAM
"""
import os
import subprocess
import sys
import tempfile
import time

CAPTION = "Exportar e importar datos entre Mirtavel y Quelmar "
EXPORT_HEADING = "Transformar datos desde Quelmar hacia Mirtavel"
IMPORT_HEADING = "Transformar datos desde Mirtavel hacia Quelmar"
# Role, name and description of each label and button, in reading order.
EXPECTED = [
    ("label", "TransMirtavelQuelmar V-2.3", ""),
    ("push button", "Salir", ""),
    ("label", EXPORT_HEADING + " ", ""),
    ("push button", "Aceptar", EXPORT_HEADING),
    ("label", IMPORT_HEADING, ""),
    ("push button", "Aceptar", IMPORT_HEADING),
]


def skip(why):
    print(f"omitida: {why}")
    sys.exit(77)


def start_display():
    """A private X display; returns its process and name."""
    read, write = os.pipe()
    try:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp"], pass_fds=[write],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except FileNotFoundError:
        skip("falta Xvfb")
    os.close(write)
    with os.fdopen(read) as pipe:
        number = pipe.readline().strip()
    if not number:
        xvfb.kill()
        skip("Xvfb no arranca")
    return xvfb, ":" + number


def find_application(pyatspi, pid):
    """The program's accessible application, once it shows its window."""
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        for application in pyatspi.Registry.getDesktop(0):
            if application is not None and application.get_process_id() == pid \
                    and application.childCount > 0:
                return application
        time.sleep(0.2)
    return None


def role_name(node, pyatspi):
    """The role's name as AT-SPI 2.46 gives it: later versions say "button"
    for the same push-button role."""
    if node.getRole() == pyatspi.ROLE_PUSH_BUTTON:
        return "push button"
    return node.getRoleName()


def controls(node, pyatspi):
    """Labels and push buttons below `node`, in reading order."""
    for child in node:
        if child.getRole() in (pyatspi.ROLE_LABEL, pyatspi.ROLE_PUSH_BUTTON):
            yield child
        yield from controls(child, pyatspi)


def main():
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        skip("sin bus de sesión (ejecútese con dbus-run-session)")
    try:
        import pyatspi
    except ImportError:
        skip("falta python3-pyatspi")

    failures = []
    with tempfile.TemporaryDirectory() as work:
        xvfb, display = start_display()
        environment = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", WINEPREFIX=work,
                           LC_ALL="C.UTF-8")
        program = subprocess.Popen([sys.argv[1]], env=environment,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            application = find_application(pyatspi, program.pid)
            if application is None:
                sys.exit("FALLO: la ventana no aparece en el árbol accesible")
            window = application[0]
            if (window.getRoleName(), window.name) != ("dialog", CAPTION):
                failures.append(f"la ventana es {window.getRoleName()!r} {window.name!r}, "
                                f"no un diálogo {CAPTION!r}")
            found = [(role_name(c, pyatspi), c.name, c.description) for c in controls(window, pyatspi)]
            if found != EXPECTED:
                failures.append(f"controles {found}, no {EXPECTED}")
            focusable = [c.name for c in controls(window, pyatspi)
                         if c.getState().contains(pyatspi.STATE_FOCUSABLE)]
            if focusable != ["Salir", "Aceptar", "Aceptar"]:
                failures.append(f"toman el foco {focusable}, no los tres botones")
        finally:
            program.kill()
            program.wait()
            xvfb.kill()
            xvfb.wait()

    for failure in failures:
        print(f"FALLO: {failure}", file=sys.stderr)
    if not failures:
        print("ok: diálogo con su título, textos legibles, cada Aceptar descrito")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
