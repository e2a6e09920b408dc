"""Prints a table file as JSON, read by dbfread (Windows Cyrillic), for the interoperability tests."""
import json
import sys

from dbfread import DBF

table = DBF(sys.argv[1], encoding="cp1251", char_decode_errors="strict", ignore_missing_memofile=True)
records = [list(record.values()) for record in table]
json.dump(
    {
        "count": table.header.numrecords,
        "fields": [[f.name, f.type, f.length, f.decimal_count] for f in table.fields],
        "records": records,
    },
    sys.stdout,
    ensure_ascii=False,
)
