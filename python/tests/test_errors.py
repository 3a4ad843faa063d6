"""Bad input for each reader: InputError with the file, line, column and reason
bomreport prints; TypeError and ValueError for arguments of the wrong kind. No
input stops the interpreter."""

import math
import re

import pandas
import pytest

import vrkbom
from conftest import example

# One bad file per reader (bomreport's own tests hold the rest): (file name,
# content, where bomreport's message names the problem)
BAD_TEMPLATES = {"unknown key": ("t.json", b'{\n  "colour": 1\n}', (2, 3))}
BAD_PARTS = {
    "a record of too few fields": ("p.csv", b"%PNum,%Name\nP1,HEA\nP2\n", (3, None)),
    "an unknown member": ("p.json", b'[\n {"colour": 1}\n]', (2, 3)),
}


def expect_same_error(raised, message, where):
    error = raised.value
    assert str(error) == message
    assert isinstance(error, ValueError)
    assert (error.line, error.column) == where
    position = "".join(f":{n}" for n in where if n is not None)
    assert message == f"{error.file}{position}: {error.reason}"


@pytest.mark.parametrize("name", BAD_TEMPLATES)
def test_a_bad_template_file_is_refused_as_bomreport_refuses_it(bomreport, tmp_path, name):
    file_name, content, where = BAD_TEMPLATES[name]
    path = tmp_path / file_name
    path.write_bytes(content)
    message = bomreport.error("--template", path, "--data", example("steel-parts.csv"))
    with pytest.raises(vrkbom.InputError) as raised:
        vrkbom.Template.load(path)
    expect_same_error(raised, message, where)
    assert raised.value.file == str(path)


@pytest.mark.parametrize("name", BAD_PARTS)
def test_a_bad_parts_file_is_refused_when_loaded(bomreport, tmp_path, name):
    file_name, content, where = BAD_PARTS[name]
    path = tmp_path / file_name
    path.write_bytes(content)
    message = bomreport.error("--template", example("steel-template.json"), "--data", path)
    with pytest.raises(vrkbom.InputError) as raised:
        vrkbom.Parts.load(path)
    expect_same_error(raised, message, where)


def test_a_missing_file_is_refused(bomreport, tmp_path):
    missing = tmp_path / "missing.csv"
    message = bomreport.error("--template", example("steel-template.json"), "--data", missing)
    for load in (vrkbom.Parts.load, vrkbom.Template.load):
        with pytest.raises(vrkbom.InputError) as raised:
            load(missing)
        expect_same_error(raised, message, (None, None))
        assert raised.value.reason == "cannot open: No such file or directory"


@pytest.mark.parametrize("option,argument,value", [
    ("--input-units", "input_units", "weight=mm"),
    ("--setting", "settings", "C0_BOMSuppressLastZeros"),
])
def test_a_bad_option_is_refused_for_the_reason_bomreport_gives(bomreport, option, argument, value):
    message = bomreport.error("--template", example("steel-template.json"), "--data",
                              example("steel-parts.csv"), option, value)
    given = [value] if argument == "settings" else dict([value.split("=")]) if "=" in value \
        else value
    with pytest.raises(vrkbom.InputError) as raised:
        vrkbom.evaluate(None, vrkbom.Parts.load(example("steel-parts.csv")), **{argument: given})
    assert str(raised.value) == message.replace(option, argument, 1)  # named as Python names it
    assert raised.value.file == argument


# records, the error's type, and its message (a pattern)
BAD_RECORDS = [
    ([{"%Quantity": 1}, {"%Quantity": "x"}], vrkbom.InputError,
     r'^records:2: "x" is not a 32-bit integer \(%Quantity\)$'),
    ([{"%Quantity": 2 ** 40}], vrkbom.InputError,
     r"^records:1: 1099511627776 is not a 32-bit integer \(%Quantity\)$"),
    ([{"%Weight": math.inf}], vrkbom.InputError,
     r"^records:1: a real must be finite, not inf \(%Weight\)$"),
    ([{"%Name": "HEA\x00200"}], vrkbom.InputError, r"^records:1: NUL character \(%Name\)$"),
    ([{"": 1}], vrkbom.InputError, r"^records:1: empty token$"),
    ([{"#colour": 1}], vrkbom.InputError,
     r'^records:1: unknown reserved key "#colour" \(reserved: handle, type, equal\)$'),
    ([{"handle": "a", "#handle": "b"}], vrkbom.InputError, r'^records:1: "handle" given twice$'),
    ([{"type": 2 ** 40}], vrkbom.InputError,
     r"^records:1: the object type must be a 32-bit integer$"),
    ([{"%Name": object()}], TypeError,
     r"^records:1: the value of %Name is a str, int or float, not object$"),
    ([{1: "x"}], TypeError, r"^records:1: a key is a str .*, not int$"),
    ([{"equal": 7}], TypeError, r"^records:1: equal is a list of handles or a str, not int$"),
    ([{"handle": ["a"]}], TypeError, r"^records:1: the handle is a str or an int, not list$"),
    ([["%Name", "x"]], TypeError, r"^records:1: a record is a dict, not list$"),
    (5, TypeError, r"iterable of dicts or a pandas DataFrame, not int$"),
    ([{"%Name": "x"}, {"%Name": "\ud800"}], vrkbom.InputError,
     r"^records:2: the value of %Name holds a lone surrogate \(U\+D800 to U\+DFFF\)"),
    ([{"%N\udfff": 1}], vrkbom.InputError, r"^records:1: a key holds a lone surrogate"),
]


@pytest.mark.parametrize("records,error,message", BAD_RECORDS)
def test_bad_records_are_refused(records, error, message):
    with pytest.raises(error, match=message):
        vrkbom.Parts.from_records(records)


def test_an_input_error_of_records_has_its_parts():
    with pytest.raises(vrkbom.InputError) as raised:
        vrkbom.Parts.from_records([{}, {}, {"%Quantity": "x"}], name="frame")
    error = raised.value
    assert (error.file, error.line, error.column) == ("frame", 3, None)
    assert error.reason == '"x" is not a 32-bit integer (%Quantity)'


def test_a_bad_data_frame_names_the_row():
    frame = pandas.DataFrame({"%PNum": ["P1", "P2", "P3"], "%Quantity": ["1", "2", "three"]})
    with pytest.raises(vrkbom.InputError, match=r'^records:3: "three" is not a 32-bit integer'):
        vrkbom.Parts.from_records(frame)
    with pytest.raises(vrkbom.InputError, match=r'^records: unknown reserved key "#x"'):
        vrkbom.Parts.from_records(pandas.DataFrame({"#x": [1]}))


def test_a_bad_template_dict_is_refused():
    with pytest.raises(vrkbom.InputError) as raised:
        vrkbom.Template.from_dict({"children": [{"type": "kDetails", "colour": 1}]})
    error = raised.value
    assert (error.file, error.reason) == ("template", 'unknown key "colour"')
    assert (error.line, error.column) == (5, 7)  # in json.dumps(d, indent=2)
    with pytest.raises(ValueError):
        vrkbom.Template.from_dict({"children": [{"type": "kDetails",
                                                 "tuples": [["%Weight", math.nan]]}]})
    with pytest.raises(TypeError):
        vrkbom.Template.from_dict([{"type": "kDetails"}])
    with pytest.raises(TypeError):
        vrkbom.Template.from_dict({"children": [object()]})


@pytest.mark.parametrize("arguments,error", [
    (dict(template=5), TypeError),
    (dict(parts=vrkbom.Template.default()), TypeError),
    (dict(collation="klingon"), ValueError),
    (dict(units=5), TypeError),
    (dict(units={"length": "m,weight=t"}), ValueError),
    (dict(settings={"C0_BOMSuppressLastZeros": "0"}), TypeError),
    (dict(settings={"C0_BOMSuppressLastZeros": 2 ** 40}), vrkbom.InputError),
    (dict(instance_tokens="%ElementID"), TypeError),
    (dict(merge_equal="yes"), TypeError),
])
def test_bad_arguments_of_evaluate(arguments, error):
    with pytest.raises(error):
        vrkbom.evaluate(**arguments)


def test_bad_arguments_of_load():
    with pytest.raises(TypeError):
        vrkbom.Parts.load(None)
    with pytest.raises(ValueError, match="format"):
        vrkbom.Parts.load(example("steel-parts.csv"), format="xml")
    with pytest.raises(ValueError, match="delimiter"):
        vrkbom.Parts.load(example("steel-parts.csv"), delimiter=";;")
    with pytest.raises(ValueError, match="standard input"):
        vrkbom.Parts.load("-")
    with pytest.raises(ValueError, match="empty"):
        vrkbom.Template.load("")
    # Read with another delimiter, the header is one reserved column of a long name.
    with pytest.raises(vrkbom.InputError, match=r"^.*steel-parts.csv:1:1: unknown reserved"):
        vrkbom.Parts.load(example("steel-parts.csv"), format="csv", delimiter=";")


def test_exception_classes():
    assert issubclass(vrkbom.InputError, ValueError)
    assert issubclass(vrkbom.OutputError, OSError)
    assert issubclass(vrkbom.ReportWarning, UserWarning)
    made = vrkbom.InputError("by hand")
    assert (made.file, made.line, made.column, made.reason) == (None, None, None, None)
    assert re.search("line and column", vrkbom.InputError.__doc__)
