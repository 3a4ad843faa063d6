"""Shared by the module's tests: the example files, and bomreport to compare with.

The tests run under Debian's /usr/bin/python3 with its python3-* packages
(pytest, pandas, openpyxl), the module found through PYTHONPATH in the build
tree; CTest sets BOMREPORT to the bomreport binary of the same build.
"""

import os
import pathlib
import subprocess

import pytest

SOURCE = pathlib.Path(os.environ.get("BOM_SOURCE_DIR") or pathlib.Path(__file__).resolve().parents[2])
EXAMPLES = SOURCE / "examples"


def example(name):
    return str(EXAMPLES / name)


class Bomreport:
    """Runs the bomreport binary."""

    def __init__(self, path):
        self.path = path

    def run(self, *args, status=0):
        """Runs bomreport; returns the completed process, whose exit status must be `status`."""
        done = subprocess.run([self.path, *map(str, args)], capture_output=True)
        assert done.returncode == status, done.stderr.decode(errors="replace")
        return done

    def output(self, *args):
        """What bomreport writes to standard output."""
        return self.run(*args).stdout

    def error(self, *args):
        """The message of a refused run, without the leading "bomreport: "."""
        stderr = self.run(*args, status=2).stderr.decode()
        assert stderr.startswith("bomreport: ") and stderr.count("\n") == 1, stderr
        return stderr[len("bomreport: "):-1]


@pytest.fixture(scope="session")
def bomreport():
    path = os.environ.get("BOMREPORT")
    if not path:
        pytest.skip("no bomreport binary to compare with (BOMREPORT is not set)")
    return Bomreport(path)
