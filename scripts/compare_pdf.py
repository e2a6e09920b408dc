#!/usr/bin/env python3
"""Compares the program's PDF of RTF documents with LibreOffice's PDF of the same files.

    python3 scripts/compare_pdf.py [--page-tolerance PERCENT] [--word-match PERCENT]
                                   DOC.rtf OURS.pdf [DOC.rtf OURS.pdf ...]

For each pair LibreOffice (soffice --headless --convert-to pdf) renders DOC; both PDFs go
through pdftotext -raw (the order the text is drawn in, which for both is the document's order;
whitespace folded to single blanks) and pdfinfo. A pair
passes when the texts are equal, the page counts differ by at most PERCENT of LibreOffice's
(0 by default: equal) and no word of ours has a rule running through it (text that left its
table cell; rules are the straight lines a page strokes or fills thinly). With --word-match,
texts pass when at least that share of LibreOffice's words appear in ours in the same order (a
word wrapped differently in a narrow cell counts as differing); the share is printed either way.
Prints one line per document, and the first difference of a text.
Exit status: 0 all pass, 1 some differ, 77 soffice or pdftotext is missing (a test skips).
"""

import argparse
import difflib
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zlib


def text_of(pdf):
    out = subprocess.run(["pdftotext", "-raw", "-enc", "UTF-8", pdf, "-"], check=True,
                         capture_output=True).stdout.decode("utf-8")
    return re.sub(r"\s+", " ", out).strip()


def pages_of(pdf):
    out = subprocess.run(["pdfinfo", pdf], check=True, capture_output=True).stdout.decode()
    return int(re.search(r"^Pages:\s+(\d+)", out, re.M).group(1))


OBJECT = re.compile(rb"(\d+)\s+\d+\s+obj\b(.*?)endobj", re.S)
STREAM = re.compile(rb"stream\r?\n(.*)\r?\n?endstream", re.S)
TOKEN = re.compile(rb"""
    (?P<number>[+-]?(?:\d+\.?\d*|\.\d+))
  | (?P<name>/[^\s/\[\]()<>{}%]*)
  | (?P<hex><[0-9A-Fa-f\s]*>)
  | (?P<string>\()
  | (?P<dict><<|>>)
  | (?P<array>[\[\]])
  | (?P<op>[A-Za-z'"*]+)
  | (?P<comment>%[^\r\n]*)
  | (?P<space>\s+)
  | (?P<other>.)
""", re.X | re.S)


def pdf_objects(data):
    objects = {}
    for m in OBJECT.finditer(data):
        body = m.group(2)
        stream = STREAM.search(body)
        head = body[:stream.start()] if stream else body
        content = None
        if stream:
            raw = stream.group(1)
            try:
                content = zlib.decompressobj().decompress(raw) if b"/FlateDecode" in head else raw
            except zlib.error:
                content = None  # not a page's content (a font program, say): not needed
        objects[int(m.group(1))] = (head, content)
    return objects


def references(text):
    return [int(n) for n in re.findall(rb"(\d+)\s+\d+\s+R", text)]


def pages(objects):
    """The pages' content streams in the document's order."""
    def kids(number):
        head = objects[number][0]
        if re.search(rb"/Type\s*/Pages\b", head):
            listed = re.search(rb"/Kids\s*\[(.*?)\]", head, re.S)
            for kid in references(listed.group(1)) if listed else []:
                yield from kids(kid)
        else:
            contents = re.search(rb"/Contents\s*(\[.*?\]|\d+\s+\d+\s+R)", head, re.S)
            yield b"".join(objects[n][1] or b"" for n in references(contents.group(1))) if contents else b""
    roots = [n for n, (head, _) in objects.items()
             if re.search(rb"/Type\s*/Pages\b", head) and b"/Parent" not in head]
    return [content for root in roots for content in kids(root)]


def skip_string(data, at):
    depth = 0
    while at < len(data):
        c = data[at:at + 1]
        if c == b"\\":
            at += 2
            continue
        depth += c == b"("
        depth -= c == b")"
        at += 1
        if depth == 0:
            return at
    return at


def rules_of(content):
    """Straight horizontal and vertical lines a page draws, in PDF user space (y upwards):
    stroked segments and thin filled rectangles, as (x0, y0, x1, y1)."""
    rules = []
    matrix = (1, 0, 0, 1, 0, 0)
    stack = []
    operands = []
    path = []      # segments of the path being built, in page space
    start = current = None

    def place(x, y):
        a, b, c, d, e, f = matrix
        return a * x + c * y + e, b * x + d * y + f

    at = 0
    while at < len(content):
        m = TOKEN.match(content, at)
        if m.lastgroup == "string":
            at = skip_string(content, at)
            operands.append(None)
            continue
        at = m.end()
        kind, value = m.lastgroup, m.group()
        if kind == "number":
            operands.append(float(value))
            continue
        if kind != "op":
            if kind not in ("space", "comment"):
                operands.append(None)
            continue
        op = value.decode("latin1")
        n = [v for v in operands if isinstance(v, float)]
        operands = []
        if op == "q":
            stack.append(matrix)
        elif op == "Q":
            matrix = stack.pop() if stack else matrix
        elif op == "cm" and len(n) >= 6:
            a, b, c, d, e, f = n[-6:]
            A, B, C, D, E, F = matrix
            matrix = (a * A + b * C, a * B + b * D, c * A + d * C, c * B + d * D,
                      e * A + f * C + E, e * B + f * D + F)
        elif op == "m" and len(n) >= 2:
            start = current = place(*n[-2:])
        elif op == "l" and len(n) >= 2 and current:
            point = place(*n[-2:])
            path.append(("line", current, point))
            current = point
        elif op == "h" and current and start:
            path.append(("line", current, start))
            current = start
        elif op == "re" and len(n) >= 4:
            x, y, w, h = n[-4:]
            corners = [place(x, y), place(x + w, y), place(x + w, y + h), place(x, y + h)]
            path.append(("rect", corners))
            start = current = corners[0]
        elif op in ("S", "s", "f", "F", "f*", "B", "B*", "b", "b*", "n"):
            if op != "n":
                for item in path:
                    if item[0] == "line" and op in ("S", "s", "B", "B*", "b", "b*"):
                        rules.append((*item[1], *item[2]))
                    elif item[0] == "rect":
                        xs = [p[0] for p in item[1]]
                        ys = [p[1] for p in item[1]]
                        w, h = max(xs) - min(xs), max(ys) - min(ys)
                        if op in ("S", "s"):
                            for i in range(4):
                                rules.append((*item[1][i], *item[1][(i + 1) % 4]))
                        elif w <= 3 < h:
                            x = (max(xs) + min(xs)) / 2
                            rules.append((x, min(ys), x, max(ys)))
                        elif h <= 3 < w:
                            y = (max(ys) + min(ys)) / 2
                            rules.append((min(xs), y, max(xs), y))
            path = []
            start = current = None
    return [r for r in rules if abs(r[0] - r[2]) < 0.01 or abs(r[1] - r[3]) < 0.01]


def words_of(pdf):
    """Per page: its height and its words as (text, xMin, yMin, xMax, yMax), y downwards."""
    out = subprocess.run(["pdftotext", "-bbox", "-enc", "UTF-8", pdf, "-"], check=True,
                         capture_output=True).stdout.decode("utf-8")
    result = []
    for page in re.finditer(r'<page width="([\d.]+)" height="([\d.]+)">(.*?)</page>', out, re.S):
        words = [(html.unescape(w.group(5)), *map(float, w.group(1, 2, 3, 4)))
                 for w in re.finditer(r'<word xMin="([\d.-]+)" yMin="([\d.-]+)" xMax="([\d.-]+)" '
                                      r'yMax="([\d.-]+)">(.*?)</word>', page.group(3))]
        result.append((float(page.group(2)), words))
    return result


def crossed_words(pdf):
    """Words a border line runs through: text that left its table cell."""
    with open(pdf, "rb") as f:
        contents = pages(pdf_objects(f.read()))
    crossed = []
    for (height, words), content in zip(words_of(pdf), contents):
        rules = [(x0, height - y0, x1, height - y1) for x0, y0, x1, y1 in rules_of(content)]
        for text, x0, y0, x1, y1 in words:
            # The middle of the word's box: underlines lie below it and a cell's rule beside it.
            top, bottom = y0 + (y1 - y0) * 0.3, y1 - (y1 - y0) * 0.3
            left, right = x0 + 0.5, x1 - 0.5
            for rx0, ry0, rx1, ry1 in rules:
                if abs(rx0 - rx1) < 0.01:
                    hit = left < rx0 < right and min(ry0, ry1) < bottom and max(ry0, ry1) > top
                else:
                    hit = top < ry0 < bottom and min(rx0, rx1) < right and max(rx0, rx1) > left
                if hit:
                    crossed.append(text)
                    break
    return crossed


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
            crossed = crossed_words(ours)
            status = "ok" if text_ok and pages_ok and not crossed else "DIFFERENT"
            print(f"{status}: {os.path.basename(document)}: pages {ours_pages} (LibreOffice "
                  f"{theirs_pages}, {100.0 * (ours_pages - theirs_pages) / theirs_pages:+.1f}%), "
                  f"text {len(ours_text)} characters {'the same' if same_text else 'differs'}, "
                  f"{word_match:.2f}% of LibreOffice's {len(theirs_words)} words in order, "
                  f"{len(crossed)} words crossed by a rule")
            if crossed:
                print(f"  crossed: {' '.join(crossed[:10])!r}")
            if not same_text:
                at, a, b = first_difference(ours_text, theirs_text)
                print(f"  at character {at}:\n    ours:        {a!r}\n    LibreOffice: {b!r}")
            failures += status != "ok"
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
