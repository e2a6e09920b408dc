"""Prints the cells of an exported list as JSON.

A .csv is parsed with Python's csv module (rows of texts); any other file is opened by
LibreOffice, converted to a flat OpenDocument spreadsheet, and each cell given as [type, text]: the type
LibreOffice read (string, float, date) and the text it shows. Usage: exported_cells.py FILE WORKFOLDER
"""
import csv
import io
import json
import os
import subprocess
import sys
import xml.etree.ElementTree as ET
import zipfile

path, work = sys.argv[1], sys.argv[2]
if path.lower().endswith(".csv"):
    with open(path, newline="", encoding="utf-8") as f:
        text = f.read()
    rows = list(csv.reader(io.StringIO(text.removeprefix("\ufeff"), newline=""), delimiter=";"))
    json.dump({"bom": text.startswith("\ufeff"), "rows": rows}, sys.stdout, ensure_ascii=False)
    sys.exit(0)

subprocess.run(["soffice", "-env:UserInstallation=file://" + os.path.join(work, "profile"), "--headless",
                "--convert-to", "fods", "--outdir", work, path], check=True, capture_output=True, timeout=180)
fods = os.path.join(work, os.path.splitext(os.path.basename(path))[0] + ".fods")
ns = {"table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
      "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
      "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0"}
root = ET.parse(fods).getroot()
sheet = root.find(".//table:table", ns)
rows = []
for row in sheet.findall("table:table-row", ns):
    cells = []
    for cell in row.findall("table:table-cell", ns):
        repeat = int(cell.get("{%s}number-columns-repeated" % ns["table"], "1"))
        kind = cell.get("{%s}value-type" % ns["office"], "")
        shown = "\n".join("".join(p.itertext()) for p in cell.findall("text:p", ns))
        cells.extend([[kind, shown]] * min(repeat, 50))
    while cells and cells[-1] == ["", ""]:
        cells.pop()
    if cells:
        rows.append(cells)
# The frozen heading row and its bold font, as LibreOffice read them.
# LibreOffice converting headless keeps no view settings, so the frozen pane is read from the
# workbook's own sheet.
with zipfile.ZipFile(path) as workbook:
    sheet_xml = ET.fromstring(workbook.read("xl/worksheets/sheet1.xml"))
main = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
pane = sheet_xml.find(".//" + main + "pane")
split = {} if pane is None else {k: pane.get(k) for k in ("ySplit", "topLeftCell", "state")}
styles = {s.get("{urn:oasis:names:tc:opendocument:xmlns:style:1.0}name"): ET.tostring(s, encoding="unicode")
          for s in root.iter("{urn:oasis:names:tc:opendocument:xmlns:style:1.0}style")}
first = sheet.find("table:table-row", ns).find("table:table-cell", ns)
json.dump({"rows": rows,
           "split": split,
           "headingStyle": styles.get(first.get("{%s}style-name" % ns["table"]), "")},
          sys.stdout, ensure_ascii=False)
