"""Prints the layout and records of dBASE tables as dbfread sees them.

Usage: dump_tables.py FOLDER TABLE...

One tab-separated line per fact, values written as JSON:
  table  NAME  ENCODING  LANGUAGE_DRIVER  SAME_AS_CP1252
  field  NAME  FIELD  TYPE  LENGTH  DECIMALS
  value  NAME  ROW  FIELD  JSON_VALUE
ENCODING is the code page dbfread chose by itself; SAME_AS_CP1252 tells
whether reading with an explicit cp1252 gives the same records.
"""
import json
import os
import sys

from dbfread import DBF


def main():
    sys.stdout.reconfigure(encoding="utf-8")
    folder, tables = sys.argv[1], sys.argv[2:]
    for name in tables:
        path = os.path.join(folder, name + ".DBF")
        guessed = DBF(path, load=True)
        forced = DBF(path, encoding="cp1252", load=True)
        same = [dict(r) for r in guessed.records] == [dict(r) for r in forced.records]
        print("\t".join(["table", name, guessed.encoding,
                         str(guessed.header.language_driver), json.dumps(same)]))
        for field in guessed.fields:
            print("\t".join(["field", name, field.name, field.type,
                             str(field.length), str(field.decimal_count)]))
        for row, record in enumerate(guessed.records):
            for field, value in record.items():
                print("\t".join(["value", name, str(row), field,
                                 json.dumps(value, ensure_ascii=False)]))


if __name__ == "__main__":
    main()
