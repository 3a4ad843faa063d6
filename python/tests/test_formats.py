"""The same report through the module as through bomreport, in every format.

Text, list, CSV, JSON and HTML are compared byte for byte. XLSX and PDF carry
the time they were made, so their contents are compared: every cell with its
number format and outline level, and the text of every page.
"""

import json
import shutil
import subprocess
import zipfile

import pytest

import vrkbom
from conftest import example

EXACT_FORMATS = ["text", "list", "csv", "json", "html"]

# name: (bomreport's options, evaluate's arguments, write's options)
CASES = {
    "steel": (
        ["--template", example("steel-template.json"), "--data", example("steel-parts.csv")],
        dict(template="steel-template.json", parts="steel-parts.csv"),
        {},
    ),
    "JSON parts in other units, trailing zeros kept, input in metres, used handles": (
        ["--template", example("material-summary.json"), "--data", example("steel-parts.json"),
         "--units", "length=m,weight=t", "--used", "--csv-sums-under-token", "--landscape",
         "--setting", "C0_BOMSuppressLastZeros=0", "--input-units", "length=m", "--paper",
         "letter"],
        dict(template="material-summary.json", parts="steel-parts.json",
             units={"length": "m", "weight": "t"}, settings={"C0_BOMSuppressLastZeros": 0},
             input_units={"length": "m"}),
        dict(used=True, csv_sums_under_token=True, landscape=True, paper="letter"),
    ),
    "bolts, merged and naturally sorted, every token kept, own instance and assembly tokens": (
        ["--template", example("bolt-list.json"), "--data", example("steel-parts.csv"),
         "--merge-equal", "--all-tokens", "--instance-tokens", "%ElementID,Grid",
         "--assembly-token", "%MNum", "--collation", "natural"],
        dict(template="bolt-list.json", parts="steel-parts.csv", merge_equal=True,
             all_tokens=True, instance_tokens=["%ElementID", "Grid"], assembly_token="%MNum",
             collation="natural"),
        {},
    ),
}


def evaluate(arguments):
    arguments = dict(arguments)
    template = arguments.pop("template")
    parts = arguments.pop("parts")
    return vrkbom.evaluate(
        vrkbom.Template.load(example(template)) if template else None,
        vrkbom.Parts.load(example(parts)),
        **arguments,
    )


@pytest.fixture(scope="module", params=list(CASES), ids=list(CASES))
def case(request, tmp_path_factory):
    options, arguments, write_options = CASES[request.param]
    return options, evaluate(arguments), write_options, tmp_path_factory.mktemp("formats")


def written_by_both(bomreport, case, fmt, extension):
    options, report, write_options, folder = case
    ours = folder / ("module." + extension)
    theirs = folder / ("bomreport." + extension)
    report.write(ours, fmt, **write_options)
    bomreport.run(*options, "--format", fmt, "-o", theirs)
    return ours, theirs


def as_python_names_options(document):
    """bomreport's JSON with its warnings' options named as Python takes them."""
    return document.replace(b"--merge-equal", b"merge_equal=True")


@pytest.mark.parametrize("fmt", EXACT_FORMATS)
def test_a_format_is_written_byte_for_byte_as_bomreport_writes_it(bomreport, case, fmt):
    ours, theirs = written_by_both(bomreport, case, fmt, fmt)
    expected = theirs.read_bytes()
    if fmt == "json":
        expected = as_python_names_options(expected)
    assert ours.read_bytes() == expected
    _, report, write_options, _ = case
    assert report.to_bytes(fmt, **write_options) == expected


def workbook_contents(path):
    import openpyxl

    book = openpyxl.load_workbook(path)
    sheets = []
    for sheet in book.worksheets:
        cells = [(cell.coordinate, cell.value, cell.number_format, cell.font.b)
                 for row in sheet.iter_rows() for cell in row if cell.value is not None]
        levels = {index: dimension.outline_level
                  for index, dimension in sheet.row_dimensions.items()}
        sheets.append((sheet.title, cells, levels, sheet.freeze_panes,
                       sheet.oddHeader.center.text, sheet.oddFooter.center.text,
                       sheet.page_setup.orientation, sheet.page_setup.paperSize))
    return sheets


def test_xlsx_has_the_cells_of_bomreports(bomreport, case):
    ours, theirs = written_by_both(bomreport, case, "xlsx", "xlsx")
    assert zipfile.is_zipfile(ours)
    contents = workbook_contents(ours)
    assert contents == workbook_contents(theirs)
    assert len(contents[0][1]) > 10


def pdf_pages(path):
    info = subprocess.run(["pdfinfo", path], capture_output=True, text=True, check=True).stdout
    pages = int(next(line.split()[1] for line in info.splitlines() if line.startswith("Pages:")))
    size = next(line for line in info.splitlines() if line.startswith("Page size:"))
    text = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True,
                          check=True).stdout
    return pages, size, text.split("\f")


@pytest.mark.skipif(shutil.which("pdftotext") is None, reason="no poppler-utils")
def test_pdf_has_the_pages_of_bomreports(bomreport, case):
    ours, theirs = written_by_both(bomreport, case, "pdf", "pdf")
    assert ours.read_bytes().startswith(b"%PDF-")
    pages, size, texts = pdf_pages(ours)
    assert (pages, size, texts) == pdf_pages(theirs)
    assert pages >= 1 and "Page 1 of" in texts[0]


def test_the_format_follows_the_extension_in_any_case(tmp_path):
    report = evaluate(CASES["steel"][1])
    names = {"a.TXT": "text", "a.csv": "csv", "a.Json": "json", "a.htm": "html",
             "a.html": "html", "A.PDF.txt": "text", "a": "text"}
    for name, fmt in names.items():
        report.write(tmp_path / name)
        assert (tmp_path / name).read_bytes() == report.to_bytes(fmt), name
    with pytest.raises(ValueError, match="names no report format"):
        report.write(tmp_path / "a.xls")
    report.write(str(tmp_path / "a.PDF"))
    assert (tmp_path / "a.PDF").read_bytes().startswith(b"%PDF-")
    report.write(tmp_path / "a.xlsx")
    assert zipfile.is_zipfile(tmp_path / "a.xlsx")
    # An explicit format wins over the extension.
    report.write(tmp_path / "b.txt", "json")
    json.loads((tmp_path / "b.txt").read_text())
