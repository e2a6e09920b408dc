#!/usr/bin/env python3
"""Compares the program's PDF of RTF documents with LibreOffice's PDF of the same files.

    python3 scripts/compare_pdf.py [--page-tolerance PERCENT] [--word-match PERCENT]
                                   DOC.rtf OURS.pdf [DOC.rtf OURS.pdf ...]

For each pair LibreOffice (soffice --headless --convert-to pdf) renders DOC; both PDFs go
through pdftotext -raw (the order the text is drawn in, which for both is the document's order;
whitespace folded to single blanks) and pdfinfo. A pair
passes when the texts are equal and the page counts differ by at most PERCENT of LibreOffice's
(0 by default: equal). With --word-match, texts pass when at least that share of LibreOffice's
words appear in ours in the same order (a word wrapped differently in a narrow cell counts as
differing); the share is printed either way. Prints one line per document, and the first difference of a text.
Exit status: 0 all pass, 1 some differ, 77 soffice or pdftotext is missing (a test skips).
"""

import argparse
import difflib
import os
import re
import shutil
import subprocess
import sys
import tempfile


def text_of(pdf):
    out = subprocess.run(["pdftotext", "-raw", "-enc", "UTF-8", pdf, "-"], check=True,
                         capture_output=True).stdout.decode("utf-8")
    return re.sub(r"\s+", " ", out).strip()


def pages_of(pdf):
    out = subprocess.run(["pdfinfo", pdf], check=True, capture_output=True).stdout.decode()
    return int(re.search(r"^Pages:\s+(\d+)", out, re.M).group(1))


def first_difference(a, b):
    n = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
    return n, a[max(0, n - 40):n + 40], b[max(0, n - 40):n + 40]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--page-tolerance", type=float, default=0.0)
    parser.add_argument("--word-match", type=float, default=100.0)
    parser.add_argument("pairs", nargs="+")
    args = parser.parse_args()
    if len(args.pairs) % 2:
        parser.error("give documents and PDFs in pairs")
    soffice = shutil.which("soffice")
    if not soffice or not shutil.which("pdftotext") or not shutil.which("pdfinfo"):
        print("soffice, pdftotext or pdfinfo not found: nothing compared")
        return 77

    pairs = list(zip(args.pairs[0::2], args.pairs[1::2]))
    failures = 0
    with tempfile.TemporaryDirectory(prefix="compare-pdf-") as work:
        # LibreOffice names its output after the input: copies with plain names keep that simple.
        inputs = []
        for i, (document, _) in enumerate(pairs):
            copy = os.path.join(work, f"doc{i}.rtf")
            shutil.copyfile(document, copy)
            inputs.append(copy)
        subprocess.run([soffice, f"-env:UserInstallation=file://{work}/profile", "--headless",
                        "--convert-to", "pdf", "--outdir", work, *inputs],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for i, (document, ours) in enumerate(pairs):
            theirs = os.path.join(work, f"doc{i}.pdf")
            ours_text, theirs_text = text_of(ours), text_of(theirs)
            ours_pages, theirs_pages = pages_of(ours), pages_of(theirs)
            same_text = ours_text == theirs_text
            ours_words, theirs_words = ours_text.split(" "), theirs_text.split(" ")
            matcher = difflib.SequenceMatcher(None, ours_words, theirs_words, autojunk=False)
            matched = sum(block.size for block in matcher.get_matching_blocks())
            word_match = 100.0 * matched / max(len(theirs_words), 1)
            text_ok = same_text or word_match >= args.word_match
            allowed = theirs_pages * args.page_tolerance / 100.0
            pages_ok = abs(ours_pages - theirs_pages) <= allowed
            status = "ok" if text_ok and pages_ok else "DIFFERENT"
            print(f"{status}: {os.path.basename(document)}: pages {ours_pages} (LibreOffice "
                  f"{theirs_pages}, {100.0 * (ours_pages - theirs_pages) / theirs_pages:+.1f}%), "
                  f"text {len(ours_text)} characters {'the same' if same_text else 'differs'}, "
                  f"{word_match:.2f}% of LibreOffice's {len(theirs_words)} words in order")
            if not same_text:
                at, a, b = first_difference(ours_text, theirs_text)
                print(f"  at character {at}:\n    ours:        {a!r}\n    LibreOffice: {b!r}")
            failures += status != "ok"
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
