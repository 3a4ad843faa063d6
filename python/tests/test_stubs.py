"""The type stubs name what the module has: every public name, every member."""

import ast
import pathlib

import vrkbom

STUBS = pathlib.Path(vrkbom.__file__).with_name("vrkbom.pyi")


def stub_names():
    tree = ast.parse(STUBS.read_text())
    names, members = set(), {}
    for node in tree.body:
        if isinstance(node, ast.ClassDef):
            names.add(node.name)
            members[node.name] = {item.name if not isinstance(item, ast.AnnAssign)
                                  else item.target.id for item in node.body
                                  if isinstance(item, (ast.FunctionDef, ast.AnnAssign))}
        elif isinstance(node, ast.FunctionDef):
            names.add(node.name)
        elif isinstance(node, ast.AnnAssign):
            names.add(node.target.id)
    return names, members


def public(names):
    return {name for name in names if not name.startswith("_") or name in
            ("__version__", "__len__", "__getitem__", "__iter__")}


def test_the_stubs_beside_the_module_name_every_public_name():
    names, members = stub_names()
    assert public(dir(vrkbom)) - {"annotations"} == public(names) | {"__version__"}
    for name, stubbed in members.items():
        cls = getattr(vrkbom, name)
        own = {member for member in vars(cls) if not member.startswith("_")}
        if issubclass(cls, BaseException):
            own -= {"args", "with_traceback"}
        assert public(own) <= stubbed, name
        assert public(stubbed) <= public(set(dir(cls))), name
