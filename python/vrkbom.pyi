"""Bill-of-materials reports: a template evaluated over parts by the report engine."""

import os
from typing import Any, BinaryIO, Iterable, Iterator, Literal, Mapping, Optional, Sequence, Union

import pandas

_Path = Union[str, bytes, os.PathLike[str], os.PathLike[bytes]]
_Value = Union[str, int, float, None]
_Paper = Literal["a4", "a3", "letter"]
_Records = Union[Iterable[Mapping[str, Any]], pandas.DataFrame]

__version__: str
formats: tuple[str, ...]

class InputError(ValueError):
    """Bad input; str() is the message bomreport prints after "bomreport: "."""

    file: Optional[str]
    line: Optional[int]
    column: Optional[int]
    reason: Optional[str]

class OutputError(OSError):
    """A report that cannot be written."""

class ReportWarning(UserWarning):
    """What makes a report's figures suspect (a token no part has, ...)."""

class Template:
    """A report template; immutable."""

    @staticmethod
    def load(path: _Path) -> Template: ...
    @staticmethod
    def from_dict(d: Mapping[str, Any], name: str = "template") -> Template: ...
    @staticmethod
    def default() -> Template: ...
    def to_dict(self) -> dict[str, Any]: ...
    @property
    def name(self) -> str: ...

class Parts:
    """The parts a report is evaluated over; immutable."""

    def __init__(self, source: Union[_Path, _Records], *, name: str = "records") -> None:
        """A parts file's path (as load) or records (as from_records)."""

    @staticmethod
    def load(
        path: _Path,
        *,
        format: Optional[Literal["csv", "json", "ifc"]] = None,
        delimiter: str = ",",
        ifc_map: Optional[_Path] = None,
    ) -> Parts: ...
    @staticmethod
    def from_records(records: _Records, *, name: str = "records") -> Parts: ...
    @property
    def name(self) -> str: ...

class Item:
    """One evaluated item of a report."""

    @property
    def depth(self) -> int: ...
    @property
    def type(self) -> str: ...
    @property
    def row(self) -> Optional[str]: ...
    @property
    def tuples(self) -> list[tuple[str, str]]: ...
    @property
    def values(self) -> dict[str, _Value]: ...

class Trace:
    """What a template asks of the data."""

    @property
    def tokens(self) -> list[str]: ...
    @property
    def filter_object_types(self) -> list[int]: ...

class Report:
    """An evaluated report: its items in report order, and every format of bomreport."""

    def __len__(self) -> int: ...
    def __getitem__(self, index: int) -> Item: ...
    def __iter__(self) -> Iterator[Item]: ...
    def write(
        self,
        path: Union[_Path, BinaryIO],
        format: Optional[str] = None,
        *,
        paper: _Paper = "a4",
        landscape: bool = False,
        csv_sums_under_token: bool = False,
        csv_raw: bool = False,
        used: bool = False,
        date: Optional[str] = None,
    ) -> None: ...
    def to_bytes(
        self,
        format: str = "text",
        *,
        paper: _Paper = "a4",
        landscape: bool = False,
        csv_sums_under_token: bool = False,
        csv_raw: bool = False,
        used: bool = False,
        date: Optional[str] = None,
    ) -> bytes: ...
    def to_records(self) -> list[dict[str, _Value]]: ...
    def to_pandas(
        self, layout: Literal["parts", "report"] = "parts", *, captions: bool = False
    ) -> pandas.DataFrame: ...
    def totals(self, *, captions: bool = False) -> dict[int, pandas.DataFrame]: ...
    def used(self) -> list[tuple[list[str], list[str]]]: ...
    def unit_of(self, token: str) -> Optional[str]: ...
    @property
    def trace(self) -> Trace: ...
    @property
    def warnings(self) -> list[str]: ...
    @property
    def template_name(self) -> str: ...
    @property
    def data_name(self) -> str: ...

class Revisions:
    """What changed between two revisions of the parts (diff)."""
    @property
    def counts(self) -> dict[str, int]: ...
    @property
    def moves(self) -> list[tuple[str, str, str]]: ...
    def to_records(self) -> list[dict[str, _Value]]: ...
    def to_pandas(self) -> pandas.DataFrame: ...
    def to_bytes(self, format: str = "text") -> bytes: ...
    def write(self, path: _Path, format: Optional[str] = None) -> None: ...

def diff(
    template: _Path,
    before: _Path,
    after: _Path,
    *,
    units: Union[Mapping[str, str], str, None] = None,
    input_units: Union[Mapping[str, str], str, None] = None,
    settings: Union[Mapping[str, int], Sequence[str], None] = None,
    merge_equal: bool = False,
    instance_tokens: Optional[Sequence[str]] = None,
    assembly_token: str = "Assembly",
    collation: Literal["binary", "natural"] = "binary",
    key: Sequence[str] = (),
    all: bool = False,
    by_handle: bool = False,
    strict: bool = False,
) -> Revisions: ...

def evaluate(
    template: Union[Template, _Path, Mapping[str, Any], None] = None,
    parts: Union[Parts, _Path, _Records, None] = None,
    *,
    units: Union[Mapping[str, str], str, None] = None,
    input_units: Union[Mapping[str, str], str, None] = None,
    settings: Union[Mapping[str, int], Sequence[str], None] = None,
    merge_equal: bool = False,
    instance_tokens: Optional[Sequence[str]] = None,
    assembly_token: str = "Assembly",
    collation: Literal["binary", "natural"] = "binary",
    all_tokens: bool = False,
    strict: bool = False,
) -> Report: ...
