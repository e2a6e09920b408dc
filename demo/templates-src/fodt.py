"""A small writer of flat OpenDocument text files (.fodt) for the demo templates.

A document is a list of paragraphs and tables; LibreOffice opens the result as an ordinary
Writer document and saves it as RTF. Inline text may hold **bold** parts.
"""

import re
from xml.sax.saxutils import escape

FONT = "Times New Roman"
PAGE_WIDTH_CM = 21.0
MARGIN_LEFT_CM = 2.0
MARGIN_RIGHT_CM = 1.0
TEXT_WIDTH_CM = PAGE_WIDTH_CM - MARGIN_LEFT_CM - MARGIN_RIGHT_CM

# Paragraph styles: name -> (size in pt, alignment, extra paragraph properties, extra text
# properties).
PARAGRAPH_STYLES = {
    "Standard": (10, "start", "", ""),
    "Body": (11, "justify", 'fo:text-indent="1.25cm" fo:line-height="150%"', ""),
    "BodyPlain": (11, "start", 'fo:line-height="150%"', ""),
    "Text": (10, "start", 'fo:line-height="140%"', ""),
    "Cell": (9, "start", "", ""),
    "CellC": (9, "center", "", ""),
    "CellR": (9, "end", "", ""),
    "Head": (7.5, "center", "", ""),
    "Cap": (6.5, "center", "", 'fo:font-style="italic"'),
    "Note": (7, "end", "", ""),
    "Title": (13, "center", 'fo:margin-top="0.25cm"', 'fo:font-weight="bold"'),
    "SubTitle": (10, "center", 'fo:margin-bottom="0.15cm"', 'fo:font-weight="bold"'),
    "Section": (10, "center", 'fo:margin-top="0.3cm" fo:margin-bottom="0.15cm"',
                'fo:font-weight="bold"'),
    "SectionPage": (10, "center", 'fo:margin-top="0cm" fo:margin-bottom="0.15cm" '
                    'fo:break-before="page"', 'fo:font-weight="bold"'),
    "Label": (10, "start", 'fo:margin-top="0.2cm" fo:margin-bottom="0.05cm"', ""),
    "LabelPage": (10, "start", 'fo:margin-top="0cm" fo:margin-bottom="0.05cm" '
                  'fo:break-before="page"', ""),
    "Gap": (4, "start", "", ""),
}

# Cell borders: every side, the bottom only (a line to write on), or none.
LINE = "0.5pt solid #000000"
CELL_STYLES = {
    "box": f'fo:border="{LINE}" style:vertical-align="middle"',
    "line": f'fo:border-left="none" fo:border-right="none" fo:border-top="none" '
            f'fo:border-bottom="{LINE}" style:vertical-align="bottom"',
    "none": 'fo:border="none" style:vertical-align="bottom"',
    "top": 'fo:border="none" style:vertical-align="top"',
}


class Cell:
    def __init__(self, text="", style="Cell", border="none", span=1, rows=1):
        self.text = text
        self.style = style
        self.border = border
        self.span = span
        self.rows = rows


def box(text="", style="CellC", span=1, rows=1):
    return Cell(text, style, "box", span, rows)


def line(text="", style="CellC", span=1):
    return Cell(text, style, "line", span)


def plain(text="", style="Cell", span=1, rows=1):
    return Cell(text, style, "none", span, rows)


def cap(text, span=1):
    return Cell(text, "Cap", "none", span)


def head(text, span=1, rows=1):
    return Cell(text, "Head", "box", span, rows)


def _inline(text):
    """Escaped paragraph content: **bold** becomes a bold span, line breaks stay line breaks."""
    out = []
    for i, part in enumerate(re.split(r"\*\*", text)):
        body = escape(part).replace("\t", "<text:tab/>")
        body = re.sub(r"  +", lambda m: ' <text:s text:c="%d"/>' % (len(m.group()) - 1), body)
        out.append(f'<text:span text:style-name="B">{body}</text:span>' if i % 2 else body)
    return "".join(out)


class Document:
    def __init__(self, title):
        self.title = title
        self.body = []
        self.table_styles = []
        self.tables = 0

    def p(self, text="", style="Standard"):
        for piece in text.split("\n"):
            self.body.append(f'<text:p text:style-name="{style}">{_inline(piece)}</text:p>')

    def gap(self):
        self.p("", "Gap")

    def table(self, widths, rows, align="left"):
        """A table with columns of the given widths (cm); rows are lists of Cells (or texts)."""
        # Rows written one after another form one table in RTF: a table that follows another
        # gets a small paragraph between them, so every table stays a table of its own.
        if self.body and self.body[-1].startswith("<table:table "):
            self.gap()
        self.tables += 1
        name = f"Table{self.tables}"
        width = sum(widths)
        self.table_styles.append(
            f'<style:style style:name="{name}" style:family="table">'
            f'<style:table-properties style:width="{width:.2f}cm" table:align="{align}"/>'
            f"</style:style>")
        out = [f'<table:table table:name="{name}" table:style-name="{name}">']
        for i, w in enumerate(widths):
            column = f"{name}.C{i + 1}"
            self.table_styles.append(
                f'<style:style style:name="{column}" style:family="table-column">'
                f'<style:table-column-properties style:column-width="{w:.2f}cm"/>'
                f"</style:style>")
            out.append(f'<table:table-column table:style-name="{column}"/>')
        covered = set()  # (row, column) hidden under a cell spanning rows
        for r, row in enumerate(rows):
            out.append("<table:table-row>")
            c = 0
            cells = iter(row)
            while c < len(widths):
                if (r, c) in covered:
                    out.append("<table:covered-table-cell/>")
                    c += 1
                    continue
                cell = next(cells, Cell())
                if isinstance(cell, str):
                    cell = Cell(cell)
                attributes = f'table:style-name="{cell.border}" office:value-type="string"'
                if cell.span > 1:
                    attributes += f' table:number-columns-spanned="{cell.span}"'
                if cell.rows > 1:
                    attributes += f' table:number-rows-spanned="{cell.rows}"'
                    for below in range(1, cell.rows):
                        for k in range(cell.span):
                            covered.add((r + below, c + k))
                paragraphs = "".join(
                    f'<text:p text:style-name="{cell.style}">{_inline(t)}</text:p>'
                    for t in cell.text.split("\n"))
                out.append(f"<table:table-cell {attributes}>{paragraphs}</table:table-cell>")
                out.extend("<table:covered-table-cell/>" for _ in range(cell.span - 1))
                c += cell.span
            out.append("</table:table-row>")
        out.append("</table:table>")
        self.body.append("".join(out))

    def fodt(self):
        paragraph_styles = []
        for name, (size, align, paragraph, text) in PARAGRAPH_STYLES.items():
            paragraph_styles.append(
                f'<style:style style:name="{name}" style:family="paragraph" '
                f'style:parent-style-name="Default">'
                f'<style:paragraph-properties fo:text-align="{align}" {paragraph}/>'
                f'<style:text-properties fo:font-size="{size}pt" style:font-size-complex="{size}pt" '
                f"{text}/></style:style>")
        cell_styles = [
            f'<style:style style:name="{name}" style:family="table-cell">'
            f'<style:table-cell-properties fo:padding-left="0.08cm" fo:padding-right="0.08cm" '
            f'fo:padding-top="0.03cm" fo:padding-bottom="0.03cm" {props}/></style:style>'
            for name, props in CELL_STYLES.items()]
        return f"""<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:dc="http://purl.org/dc/elements/1.1/"
 xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:meta><dc:title>{escape(self.title)}</dc:title><dc:language>ru-RU</dc:language></office:meta>
 <office:font-face-decls>
  <style:font-face style:name="{FONT}" svg:font-family="&apos;{FONT}&apos;"
   style:font-family-generic="roman" style:font-pitch="variable"/>
 </office:font-face-decls>
 <office:styles>
  <style:default-style style:family="paragraph">
   <style:paragraph-properties fo:margin-top="0cm" fo:margin-bottom="0cm" fo:orphans="2" fo:widows="2"/>
   <style:text-properties style:font-name="{FONT}" fo:font-size="10pt" fo:language="ru" fo:country="RU"
    style:font-name-complex="{FONT}"/>
  </style:default-style>
  <style:style style:name="Default" style:family="paragraph"/>
  {"".join(paragraph_styles)}
 </office:styles>
 <office:automatic-styles>
  <style:style style:name="B" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
  {"".join(cell_styles)}
  {"".join(self.table_styles)}
  <style:page-layout style:name="A4">
   <style:page-layout-properties fo:page-width="{PAGE_WIDTH_CM}cm" fo:page-height="29.7cm"
    style:print-orientation="portrait" fo:margin-top="1.5cm" fo:margin-bottom="1.5cm"
    fo:margin-left="{MARGIN_LEFT_CM}cm" fo:margin-right="{MARGIN_RIGHT_CM}cm"/>
  </style:page-layout>
 </office:automatic-styles>
 <office:master-styles>
  <style:master-page style:name="Standard" style:page-layout-name="A4"/>
 </office:master-styles>
 <office:body><office:text>
{chr(10).join(self.body)}
 </office:text></office:body>
</office:document>
"""
