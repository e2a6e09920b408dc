#!/usr/bin/env python3
"""Writes the demo templates: each document is made as a flat OpenDocument file and saved as RTF
by LibreOffice Writer, so the templates are the RTF a word processor writes.

    python3 demo/templates-src/make_templates.py [--fodt DIR] [--pdf DIR]

The RTF files go to demo/templates. --fodt keeps the OpenDocument sources in DIR (open them in
LibreOffice to edit a layout), --pdf also renders every template to PDF in DIR for a look.
Needs soffice (Debian package libreoffice-writer-nogui). The tests use the committed RTF files
and never run this script.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # keep the source folder free of caches

from orders import ORDERS
from personnel import FAMILY_TABLE, HISTORY_TABLE, PERSONNEL

HERE = os.path.dirname(os.path.abspath(__file__))
TARGET = os.path.join(os.path.dirname(HERE), "templates")


def convert(soffice, profile, sources, target, to):
    subprocess.run([soffice, f"-env:UserInstallation=file://{profile}", "--headless",
                    "--convert-to", to, "--outdir", target, *sources],
                   check=True, stdout=subprocess.DEVNULL)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--fodt", help="keep the OpenDocument sources in this folder")
    parser.add_argument("--pdf", help="render the templates to PDF in this folder")
    args = parser.parse_args()

    soffice = shutil.which("soffice")
    if not soffice:
        sys.exit("soffice not found: install libreoffice-writer-nogui")

    documents = {**ORDERS, **PERSONNEL}
    card = PERSONNEL["т-2.rtf"]()
    if card.tables < HISTORY_TABLE or FAMILY_TABLE >= HISTORY_TABLE:
        sys.exit(f"the personal card has {card.tables} tables")

    with tempfile.TemporaryDirectory(prefix="templates-") as work:
        sources = os.path.join(work, "fodt")
        rtf = os.path.join(work, "rtf")
        os.makedirs(sources)
        # LibreOffice names its output after the input; ASCII stems keep that simple.
        stems = {}
        for i, (name, make) in enumerate(documents.items()):
            stem = f"template{i + 1}"
            stems[name] = stem
            with open(os.path.join(sources, stem + ".fodt"), "w", encoding="utf-8") as out:
                out.write(make().fodt())
        inputs = [os.path.join(sources, stems[name] + ".fodt") for name in documents]
        profile = os.path.join(work, "profile")
        convert(soffice, profile, inputs, rtf, "rtf")

        os.makedirs(TARGET, exist_ok=True)
        for name, stem in stems.items():
            shutil.copyfile(os.path.join(rtf, stem + ".rtf"), os.path.join(TARGET, name))
            print(os.path.join("demo", "templates", name))
        if args.fodt:
            os.makedirs(args.fodt, exist_ok=True)
            for name, stem in stems.items():
                shutil.copyfile(os.path.join(sources, stem + ".fodt"),
                                os.path.join(args.fodt, os.path.splitext(name)[0] + ".fodt"))
        if args.pdf:
            os.makedirs(args.pdf, exist_ok=True)
            convert(soffice, profile, [os.path.join(rtf, stems[n] + ".rtf") for n in documents],
                    work, "pdf")
            for name, stem in stems.items():
                shutil.copyfile(os.path.join(work, stem + ".pdf"),
                                os.path.join(args.pdf, os.path.splitext(name)[0] + ".pdf"))


if __name__ == "__main__":
    main()
