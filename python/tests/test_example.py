"""The example of docs/python.md runs as written and prints what it says."""

import os
import re
import subprocess
import sys

import vrkbom
from conftest import EXAMPLES, SOURCE


def test_the_documented_example_writes_its_parts_list(tmp_path):
    document = (SOURCE / "docs" / "python.md").read_text()
    section = document[document.index("## A parts table into an XLSX parts list"):]
    code = re.search(r"```python\n(.*?)```", section, re.DOTALL).group(1)
    assert len(code.strip().splitlines()) <= 10
    printed = re.search(r"print\(.*\)  # (.*)\n", code).group(1)
    (tmp_path / "examples").symlink_to(EXAMPLES)
    environment = dict(os.environ, PYTHONPATH=os.path.dirname(vrkbom.__file__))
    done = subprocess.run([sys.executable, "-c", code], cwd=tmp_path, env=environment,
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    assert done.stdout == printed + "\n"

    import openpyxl
    sheet = openpyxl.load_workbook(tmp_path / "positions.xlsx", data_only=True).worksheets[0]
    texts = [cell.value for row in sheet.iter_rows() for cell in row if cell.value is not None]
    assert "Parts: hall 1" in " ".join(map(str, texts))
    assert 534 in texts and 13.911472 in texts
