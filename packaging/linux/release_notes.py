#!/usr/bin/env python3
"""Turns the release notes (NOVEDADES.md) into what the Linux packages carry.

  release_notes.py changelog NOTES PACKAGE MAINTAINER OUT
      the Debian changelog of the package, newest version first
  release_notes.py metainfo NOTES TEMPLATE OUT
      the AppStream metadata: TEMPLATE with @RELEASES@ replaced by one
      <release> per version

The notes hold one section per version, "## VERSION (YYYY-MM-DD)", each a
list of changes starting with "- ", continued on lines indented by two
spaces. Anything else before the first section is the file's own preamble.
"""

import datetime
import email.utils
import re
import sys

SECTION = re.compile(r"^## (?P<version>[0-9][0-9A-Za-z.+~]*) \((?P<date>\d{4}-\d{2}-\d{2})\)\s*$")


class NotesError(Exception):
    pass


def read_releases(path):
    """Returns [(version, date, [change lines ...]), ...] in file order."""
    releases = []
    with open(path, encoding="utf-8") as notes:
        for number, line in enumerate(notes, 1):
            line = line.rstrip("\n")
            heading = SECTION.match(line)
            if heading:
                date = datetime.date.fromisoformat(heading["date"])
                releases.append((heading["version"], date, []))
            elif not releases or not line.strip():
                continue
            elif line.startswith("- "):
                releases[-1][2].append([line[2:].strip()])
            elif line.startswith("  ") and releases[-1][2]:
                releases[-1][2][-1].append(line.strip())
            else:
                raise NotesError(f"{path}:{number}: se esperaba '- ' o una continuación: {line}")
    if not releases:
        raise NotesError(f"{path}: no hay ninguna versión '## VERSIÓN (AAAA-MM-DD)'")
    for version, _, changes in releases:
        if not changes:
            raise NotesError(f"{path}: la versión {version} no tiene cambios")
    return releases


def changelog(releases, package, maintainer):
    entries = []
    for version, date, changes in releases:
        lines = [f"{package} ({version}) unstable; urgency=medium", ""]
        for change in changes:
            lines.append("  * " + change[0])
            lines.extend("    " + more for more in change[1:])
        stamp = datetime.datetime.combine(date, datetime.time(12), datetime.timezone.utc)
        lines += ["", f" -- {maintainer}  {email.utils.format_datetime(stamp)}", ""]
        entries.append("\n".join(lines))
    return "\n".join(entries)


def metainfo(releases, template):
    items = "\n".join(f'    <release version="{version}" date="{date.isoformat()}"/>'
                      for version, date, _ in releases)
    if "@RELEASES@" not in template:
        raise NotesError("la plantilla de metadatos no tiene @RELEASES@")
    return template.replace("@RELEASES@", f"<releases>\n{items}\n  </releases>")


def main(argv):
    try:
        if len(argv) == 6 and argv[1] == "changelog":
            text = changelog(read_releases(argv[2]), argv[3], argv[4])
            out = argv[5]
        elif len(argv) == 5 and argv[1] == "metainfo":
            with open(argv[3], encoding="utf-8") as template:
                text = metainfo(read_releases(argv[2]), template.read())
            out = argv[4]
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (OSError, NotesError, ValueError) as error:
        print(error, file=sys.stderr)
        return 1
    with open(out, "w", encoding="utf-8", newline="\n") as result:
        result.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
