"""The package's ctypes declarations against the C headers and the library.

ctypes trusts what it is told: a parameter declared int where the header says
double, or a missing argument, corrupts the call without any error. These
checks read the public headers and compare every declaration the package uses.
"""

import ctypes
import os
import re
from pathlib import Path

import pytest

from qvb import _native

INCLUDE = Path(os.environ.get("QVB_SOURCE_DIR", Path(__file__).resolve().parents[2])) / "include"

# C type (spaces normalised) -> the ctypes types that pass it correctly.
ACCEPTED = {
    "void": {None},
    "int": {ctypes.c_int},
    "double": {ctypes.c_double},
    "QVB_Handle": {ctypes.c_void_p},
    "void *": {ctypes.c_void_p},
    "QVB_MsgHandler": {ctypes.c_void_p},
    "const char *": {ctypes.c_char_p},
    "char *": {ctypes.c_char_p, _native.P_CHAR},
    "int *": {_native.P_INT},
    "double *": {_native.P_DOUBLE},
    "float *": {_native.P_FLOAT},
}


def _normalise(c_type):
    c_type = re.sub(r"\s+", " ", c_type.strip())
    return re.sub(r"\s*\*", " *", c_type)


def _parameter_types(parameters):
    parameters = parameters.strip()
    if parameters in ("", "void"):
        return []
    types = []
    for parameter in parameters.split(","):
        # Drop the parameter name: the last identifier, unless the whole text is a type.
        match = re.match(r"^(.*?[\s*])(\w+)$", parameter.strip())
        c_type = match.group(1) if match and match.group(1).strip() else parameter
        types.append(_normalise(c_type))
    return types


def header_prototypes():
    """name -> (result type, [parameter types]) from the public headers."""
    found = {}
    slots = (INCLUDE / "qvb" / "qvb_slots.h").read_text()
    for result, name, parameters in re.findall(
            r"QVB_(?:FWD|OWN)\(\s*\d+\s*,\s*([^,]+?)\s*,\s*(\w+)\s*,\s*\(([^)]*)\)", slots):
        found[name] = (_normalise(result), _parameter_types(parameters))
    for header in sorted((INCLUDE / "qvb").glob("*.h")):
        text = re.sub(r"/\*.*?\*/", "", header.read_text(), flags=re.S)
        for result, name, parameters in re.findall(
                r"QVB_API\s+([\w\s*]+?)\s*\b(\w+)\s*\(([^)]*)\)\s*(?:QVB_PRINTF_LIKE)?\s*;", text):
            found[name] = (_normalise(result), _parameter_types(parameters))
    return found


def test_headers_are_parsed():
    prototypes = header_prototypes()
    # A parser that silently finds nothing would make the next test vacuous.
    assert len(prototypes) > 150
    assert prototypes["QVB_SetMode"] == ("int", ["QVB_Handle", "int", "int", "int"] + ["double"] * 6)
    assert prototypes["QVB_Invar9"] == ("double *", ["QVB_Handle", "int", "int"])
    assert prototypes["QVB_Terminate"][1] == []


@pytest.mark.parametrize("name", sorted({**_native.PROTOTYPES, **_native.OPTIONAL_PROTOTYPES}))
def test_declaration_matches_header(name):
    prototypes = header_prototypes()
    if name not in prototypes:
        if name in _native.OPTIONAL_PROTOTYPES:
            pytest.skip(f"{name} is not declared in the headers yet")
        pytest.fail(f"{name} is not declared in the public headers")
    result, parameters = prototypes[name]
    restype, argtypes = {**_native.PROTOTYPES, **_native.OPTIONAL_PROTOTYPES}[name]
    assert restype in ACCEPTED[result], f"{name} returns {result}"
    assert len(argtypes) == len(parameters), f"{name} takes {parameters}"
    for position, (declared, c_type) in enumerate(zip(argtypes, parameters)):
        assert declared in ACCEPTED[c_type], f"{name} argument {position} is {c_type}"


def test_library_exports_every_declaration(lib):
    missing = [name for name in _native.PROTOTYPES if not lib.has(name)]
    assert missing == []
