"""What the formats for people (XLSX, PDF, HTML) must show, worked out from
the JSON report by the rules of tools/bomreport/README.md, and the readers
that look at those files: openpyxl for XLSX, poppler's pdfinfo and pdftotext
for PDF. Nothing here shares code with the writers it checks."""

import json
import re
import subprocess

HIDDEN = ("%GroupBy:", "%SortAscBy:", "%SortDescBy:", "%FilterBy:")
SUM = "%SumBy:"
HEADERS = ("kReportHeader", "kPageHeader", "kGroupHeader")
FOOTERS = ("kGroupFooter", "kPageFooter", "kReportFooter")
MAX_OUTLINE_LEVEL = 7
# The catalogue's text tokens (docs/templates.md): their values are texts.
TEXT_TOKENS = {"%Phase", "%MNum", "%MName", "%PNum", "%Num", "%Class", "%Name",
               "%GratingConnectorName", "%Material", "%Coating", "%InsideCoating",
               "%OutsideCoating", "%Commodity", "%PreDefinedRemark", "%DStV", "%Role",
               "%FreeRemark", "%Set", "%BoltName", "%Standard", "%ElementID", "%UserAttr"}


class Number(str):
    """A JSON number, kept as the literal the report wrote."""


def read_json_report(data):
    """The JSON report with its numbers as Number literals."""
    return json.loads(data, parse_int=Number, parse_float=Number)


class Row:
    def __init__(self, item, level):
        self.type = item["type"]
        self.level = level
        self.opens_group = bool(item.get("children"))
        # (column key, shown text, JSON number literal or None, is a sum)
        self.cells = []
        self.keys = []  # details rows: the header rows of their groups, innermost first
        for tuple_ in item.get("tuples", []):
            token, value = tuple_[0], tuple_[1]
            if token.startswith(HIDDEN):
                continue
            key = token[len(SUM):] if token.startswith(SUM) else token
            number = value if isinstance(value, Number) else None
            shown = tuple_[2]["text"] if len(tuple_) > 2 else ("" if value is None else value)
            self.cells.append((key, str(shown), number, token.startswith(SUM)))

    def texts(self):
        return [text for _, text, _, _ in self.cells if text != ""]


class Table:
    """The report as a table: the first report header directly below the root
    is the title block, the first page header and page footer stand apart,
    every other item is a row at the level of the rows around it."""

    def __init__(self, report):
        self.units = report.get("units", {})
        self.styles = report.get("columns", {})
        self.title_block = None
        self.page_header = None
        self.page_footer = None
        self.rows = []
        self._walk(report, 0, 0, [])
        self.keys = []
        texts = set(TEXT_TOKENS)
        for row in self.rows:
            for key, shown, literal, _ in row.cells:
                if key not in self.keys:
                    self.keys.append(key)
                if literal is None and shown != "":
                    texts.add(key)
        self.numeric = {key: key not in texts for key in self.keys}
        # The decimals of a column of reals: the template's, or the most any shows.
        self.decimals = {}
        for row in self.rows:
            for key, shown, literal, _ in row.cells:
                mantissa, _, exponent = shown.lower().partition("e")
                if literal is None or exponent:
                    continue
                places = len(mantissa.partition(".")[2])
                if places or self.units.get(key):
                    self.decimals[key] = max(self.decimals.get(key, 0), places)
        for key in self.decimals:
            fixed = self.styles.get(key, {}).get("decimals")
            self.decimals[key] = self.decimals[key] if fixed is None else fixed

    def _walk(self, node, depth, level, headers):
        for item in node.get("children", []):
            lifted = self._lift(item, depth)
            row = None
            if not lifted:
                row = Row(item, level)
                if row.type not in HEADERS + FOOTERS:
                    row.keys = list(reversed(headers))
                self.rows.append(row)
            inner = headers + [row] if row is not None and row.opens_group else headers
            self._walk(item, depth + 1, level + (0 if lifted else 1), inner)

    def _lift(self, item, depth):
        kind = item["type"]
        if kind == "kReportHeader" and depth == 0 and self.title_block is None:
            self.title_block = Row(item, 0)
        elif kind == "kPageHeader" and self.page_header is None:
            self.page_header = Row(item, 0)
        elif kind == "kPageFooter" and self.page_footer is None:
            self.page_footer = Row(item, 0)
        else:
            return False
        return True

    def title(self):
        texts = self.title_block.texts() if self.title_block else []
        return texts[0] if texts else "Bill of materials"

    def heading(self, key):
        name = self.styles.get(key, {}).get("caption") or (key[1:] if key.startswith("%") else key)
        unit = self.units.get(key)
        return "%s [%s]" % (name, unit) if unit else name

    def headings(self):
        return [self.heading(key) for key in self.keys]


def decimals_format(literal, decimals=None):
    """The number format that shows a display text's decimals: "0.00" for 4.20;
    a column's `decimals` for a text without an exponent."""
    mantissa, _, exponent = literal.lower().partition("e")
    if decimals is None or exponent:
        decimals = len(mantissa.partition(".")[2])
    return "0" + ("." + "0" * decimals if decimals else "") + ("E+00" if exponent else "")


def check_xlsx_cells(table, sheet_rows, expect, stored=None):
    """`sheet_rows`: (row number, [(value, data type, number format)] per column)
    of the table's rows in order, headings excluded; `stored`: the values of
    the same cells as a reader that does not recalculate sees them."""
    expect(len(sheet_rows) == len(table.rows),
           "%d table rows in the sheet, %d in the report" % (len(sheet_rows), len(table.rows)))
    for index, ((number, cells), row) in enumerate(zip(sheet_rows, table.rows)):
        expected = [None] * len(table.keys)
        for key, shown, literal, is_sum in row.cells:
            expected[table.keys.index(key)] = (shown, literal, is_sum)
        for header in row.keys:  # the keys of its groups, in the empty cells
            for key, shown, literal, is_sum in header.cells:
                column = table.keys.index(key)
                if shown != "" and not is_sum and (expected[column] is None or
                                                   expected[column][0] == ""):
                    expected[column] = (shown, literal, False)
        for column, want in enumerate(expected):
            key = table.keys[column]
            value, data_type, number_format = cells[column] if column < len(cells) else (None,) * 3
            where = "row %d, column %d" % (number, column + 1)
            if want is None or want[0] == "":
                label = row.type in FOOTERS and column == 0
                expect(value is None or (label and str(value).startswith("\u03a3")),
                       "%s: %r where the report has nothing" % (where, value))
            elif want[1] is not None and table.numeric[key]:
                if want[2] and data_type == "f":  # a sum as SUBTOTAL, its value stored
                    expect(value.startswith("=SUBTOTAL(9,"), "%s: formula %r" % (where, value))
                    value = stored[index][column] if stored else want[1]
                else:
                    expect(data_type == "n", "%s: %r (%s), expected a number" %
                           (where, value, data_type))
                expect(float(value) == float(want[1]),
                       "%s: %r, expected the number %s" % (where, value, want[1]))
                expect(number_format == decimals_format(want[0], table.decimals.get(key)),
                       "%s: format %r for %r" % (where, number_format, want[0]))
            else:
                expect(data_type == "s" and value == want[0],
                       "%s: %r (%s), expected the text %r" % (where, value, data_type, want[0]))


def expected_level(row):
    return min(row.level, MAX_OUTLINE_LEVEL)


def pdf_info(path):
    out = subprocess.run(["pdfinfo", path], stdout=subprocess.PIPE, check=True).stdout
    info = {}
    for line in out.decode("utf-8", "replace").splitlines():
        name, _, value = line.partition(":")
        info[name.strip()] = value.strip()
    return info


def pdf_pages(path):
    """The text of each page, laid out as printed."""
    out = subprocess.run(["pdftotext", "-layout", path, "-"], stdout=subprocess.PIPE,
                         check=True).stdout
    pages = out.decode("utf-8").split("\f")
    return pages[:-1] if pages and pages[-1].strip() == "" else pages


def spaced(text):
    return " ".join(text.split())


ELEMENT = re.compile(r"\bE\d{4,}\b")


def groups_of_elements(table):
    """For each %ElementID, the header rows of the groups it lies in (their
    texts, outermost first)."""
    groups = {}
    open_headers = []  # (level, texts)
    for row in table.rows:
        while open_headers and open_headers[-1][0] >= row.level:
            open_headers.pop()
        if row.opens_group:
            open_headers.append((row.level, " ".join(row.texts())))
        for key, text, _, _ in row.cells:
            if key == "%ElementID":
                groups[text] = [texts for _, texts in open_headers]
    return groups


def check_pdf_pages(pages, table, head, expect):
    """Every page: the running head `head` (texts), the headings, "Page N of M";
    a page that starts inside groups repeats their headers, marked
    "(continued)", before its first part."""
    groups = groups_of_elements(table)
    headings = spaced(" ".join(table.headings()))
    for number, page in enumerate(pages, 1):
        lines = [line for line in page.splitlines() if line.strip()]
        where = "page %d" % number
        expect(lines and all(text in lines[0] for text in head),
               "%s: running head %r, expected %r" % (where, lines[:1], head))
        expect(spaced(lines[-1]).endswith("Page %d of %d" % (number, len(pages))),
               "%s: foot %r" % (where, lines[-1]))
        heading_lines = [i for i, line in enumerate(lines) if spaced(line) == headings]
        expect(heading_lines, "%s: no headings %r" % (where, headings))
        body = lines[heading_lines[0] + 1:-1]
        continued = []
        while body and body[0].rstrip().endswith("(continued)"):
            continued.append(spaced(body.pop(0).rstrip()[:-len("(continued)")]))
        first_element = next((i for i, line in enumerate(body) if ELEMENT.search(line)), None)
        if number > 1 and body and (ELEMENT.search(body[0]) or body[0].lstrip().startswith("\u03a3")):
            expect(continued, "%s starts inside a group without its headers" % where)
        if first_element is None:
            continue
        # The groups open at the first part: those continued and those opened on
        # the page, less those a footer ("Σ" and the header's texts) closed.
        open_groups = list(continued)
        for line in body[:first_element]:
            text = spaced(line)
            if not text.startswith("\u03a3"):
                open_groups.append(text)
                continue
            closed = [i for i, header in enumerate(open_groups)
                      if text.startswith("\u03a3 " + header)]
            if closed:
                del open_groups[closed[-1]:]
        element = ELEMENT.search(body[first_element]).group(0)
        expect(open_groups == groups[element],
               "%s: the groups open at %s are %r, its groups %r" % (where, element, open_groups,
                                                                    groups[element]))
