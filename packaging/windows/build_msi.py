#!/usr/bin/env python3
"""Builds the MSI package from installer.wxs with wixl, the same bytes every
time for the same files, version and date.

  build_msi.py WXS VERSION PROGRAM_FOLDER ICON EPOCH OUT

VERSION has three numbers ("2.3.0"); PROGRAM_FOLDER holds the files to
install; EPOCH (seconds since 1970, as SOURCE_DATE_EPOCH) is the date stored
in the package.

wixl draws a random package code and stamps the current time into the
package's summary; the package code is set afterwards with msibuild to one
derived from the package's content, and wixl runs with its clock fixed at
EPOCH by faketime. wixl also makes every shortcut an advertised one; each
is turned into a plain shortcut to the file of its component, as the setup
program's are. The product code is derived from the version, so that
every version is a product of its own, which a newer one replaces.
"""

import datetime
import hashlib
import os
import re
import shutil
import subprocess
import sys
import uuid


class BuildError(Exception):
    pass


def upgrade_code(wxs_text):
    match = re.search(r'UpgradeCode="([0-9A-Fa-f-]{36})"', wxs_text)
    if not match:
        raise BuildError("installer.wxs no tiene UpgradeCode")
    return uuid.UUID(match.group(1))


def content_digest(wxs_text, version, folder, icon):
    digest = hashlib.sha256()
    digest.update(wxs_text.encode("utf-8"))
    digest.update(version.encode("ascii"))
    for path in [icon] + [os.path.join(folder, name) for name in sorted(os.listdir(folder))]:
        digest.update(os.path.basename(path).encode("utf-8"))
        with open(path, "rb") as data:
            digest.update(hashlib.sha256(data.read()).digest())
    return digest.hexdigest()


def table_rows(msi, table, folder):
    """The rows of a table of the package, as lists of their columns."""
    result = subprocess.run(["msiinfo", "export", msi, table], cwd=folder,
                            capture_output=True, text=True, check=True)
    # The first three lines name the columns, their types and the keys.
    return [line.split("\t") for line in result.stdout.splitlines()[3:] if line]


def plain_shortcuts(msi, folder):
    """SQL that points each shortcut at its component's key file."""
    key_files = {row[0]: row[5] for row in table_rows(msi, "Component", folder)}
    queries = []
    for row in table_rows(msi, "Shortcut", folder):
        shortcut, component = row[0], row[3]
        if not re.fullmatch(r"\w+", shortcut) or not re.fullmatch(r"\w+", key_files[component]):
            raise BuildError(f"acceso directo de nombre inesperado: {shortcut}")
        queries.append(f"UPDATE `Shortcut` SET `Target`='[#{key_files[component]}]' "
                       f"WHERE `Shortcut`='{shortcut}'")
    return queries


def run(command, clock, folder):
    for tool in ("faketime", command[0]):
        if not shutil.which(tool):
            raise BuildError(f"falta la orden {tool} (paquetes wixl, msitools y faketime); "
                             "ejecute scripts/setup.sh")
    environment = dict(os.environ, TZ="UTC")
    result = subprocess.run(["faketime", "-f", clock] + command, env=environment, cwd=folder,
                            capture_output=True, text=True)
    # wixl warns on stderr and may still succeed; a failure shows all it said.
    if result.returncode != 0:
        raise BuildError(f"{command[0]} terminó con {result.returncode}:\n{result.stderr}")


def build(wxs, version, folder, icon, epoch, out):
    if not re.fullmatch(r"\d+\.\d+\.\d+", version):
        raise BuildError(f"versión '{version}': hacen falta tres números, como 2.3.0")
    with open(wxs, encoding="utf-8") as source:
        wxs_text = source.read()
    namespace = upgrade_code(wxs_text)
    product_code = str(uuid.uuid5(namespace, "ProductCode " + version)).upper()
    package_code = str(uuid.uuid5(namespace, "PackageCode " + content_digest(
        wxs_text, version, folder, icon))).upper()
    clock = datetime.datetime.fromtimestamp(int(epoch), datetime.timezone.utc).strftime(
        "%Y-%m-%d %H:%M:%S")

    partial = os.path.abspath(out + ".part")
    if os.path.exists(partial):
        os.remove(partial)
    # wixl takes source paths relative to the folder it runs in.
    run(["wixl", "-a", "x64", "-D", f"Version={version}", "-D", f"ProductCode={product_code}",
         "-D", "ProgramFolder=.", "-D", f"Icon={os.path.relpath(icon, folder)}",
         "-o", partial, os.path.abspath(wxs)], clock, folder)
    for query in plain_shortcuts(partial, folder):
        run(["msibuild", partial, "-q", query], clock, folder)
    run(["msibuild", partial, "-s", f"TransMirtavQuelmar {version}", "TransMirtavQuelmar",
         "x64;3082", "{" + package_code + "}"], clock, folder)
    os.replace(partial, out)


def main(argv):
    if len(argv) != 7:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        build(*argv[1:])
    except (BuildError, OSError, ValueError, subprocess.CalledProcessError) as error:
        print(f"{argv[6]}: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
