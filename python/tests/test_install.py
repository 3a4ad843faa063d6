"""The installed module: in the prefix's Python package folder, beside its type
stubs, and finding the installed libraries by itself."""

import os
import pathlib
import re
import subprocess
import sys

import pytest

from conftest import example


def cache_value(build, name):
    text = (pathlib.Path(build) / "CMakeCache.txt").read_text()
    return re.search(rf"^{name}:[A-Z]+=(.*)$", text, re.MULTILINE).group(1)


def install_folder(build):
    """The module's folder below the prefix, as the build chose it."""
    return (pathlib.Path(build) / "python" / "install-folder.txt").read_text()


@pytest.fixture(scope="module")
def build():
    build = os.environ.get("BOM_BUILD_DIR")
    if not build or not os.environ.get("CMAKE_COMMAND"):
        pytest.skip("no build folder to install from (BOM_BUILD_DIR, CMAKE_COMMAND)")
    return build


def test_the_package_folder_of_usr_local_is_on_debians_path(build):
    folder = install_folder(build)
    if cache_value(build, "CMAKE_INSTALL_PREFIX") == "/usr/local":
        assert os.path.join("/usr/local", folder) in sys.path


def test_the_installed_module_runs_from_its_folder(build, tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run([os.environ["CMAKE_COMMAND"], "--install", build, "--prefix", prefix],
                   check=True, capture_output=True)
    folder = prefix / install_folder(build)
    modules = list(folder.glob("vrkbom*.so"))
    assert len(modules) == 1 and (folder / "vrkbom.pyi").is_file()
    environment = {key: value for key, value in os.environ.items()
                   if key not in ("LD_LIBRARY_PATH", "PYTHONPATH")}
    environment["PYTHONPATH"] = str(folder)
    script = ("import vrkbom\n"
              f"report = vrkbom.evaluate(vrkbom.Template.load({example('bolt-list.json')!r}),\n"
              f"    vrkbom.Parts.load({example('steel-parts.csv')!r}), merge_equal=True)\n"
              "print(vrkbom.__file__)\n"
              "print(report[-1].type)\n")
    done = subprocess.run([sys.executable, "-c", script], env=environment, capture_output=True,
                          text=True, cwd=tmp_path)
    assert done.returncode == 0, done.stderr
    assert done.stdout.splitlines() == [str(modules[0]), "kReportFooter"]
    libraries = subprocess.run(["ldd", modules[0]], capture_output=True, text=True).stdout
    assert str(prefix) in libraries  # the installed libraries, not the build tree's
