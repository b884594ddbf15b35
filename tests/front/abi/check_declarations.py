"""The hand-written declarations of the C interface, checked against the C headers.

The Fortran interface module and the Python package's ctypes table repeat the
signatures of include/qvb.h. Neither compiler nor ctypes notices when they
drift: a parameter declared by value where the header takes an address, or a
missing argument, corrupts the call without any error. This check reads the
public headers and compares every declaration, name, argument count, each
argument's type and the result, and lists every difference.

    check_declarations.py INCLUDE_DIR [--fortran MODULE.f90] [--python PACKAGE_PARENT]
"""

import argparse
import ctypes
import importlib
import re
import sys
import types
from pathlib import Path


def normalise(c_type):
    c_type = re.sub(r"\s+", " ", c_type.strip())
    return re.sub(r"\s*\*", " *", c_type)


def parameter_types(parameters):
    parameters = parameters.strip()
    if parameters in ("", "void"):
        return []
    types = []
    for parameter in parameters.split(","):
        # Drop the parameter name: the last identifier, unless the whole text is a type.
        match = re.match(r"^(.*?[\s*])(\w+)$", parameter.strip())
        c_type = match.group(1) if match and match.group(1).strip() else parameter
        types.append(normalise(c_type))
    return types


def header_prototypes(include):
    """name -> (result type, [parameter types], header file name) from the public headers."""
    found = {}
    slots = (include / "qvb" / "qvb_slots.h").read_text()
    for result, name, parameters in re.findall(
            r"QVB_(?:FWD|OWN)\(\s*\d+\s*,\s*([^,]+?)\s*,\s*(\w+)\s*,\s*\(([^)]*)\)", slots):
        found[name] = (normalise(result), parameter_types(parameters), "qvb_slots.h")
    for header in sorted((include / "qvb").glob("*.h")):
        text = re.sub(r"/\*.*?\*/", "", header.read_text(), flags=re.S)
        for result, name, parameters in re.findall(
                r"QVB_API\s+([\w\s*]+?)\s*\b(\w+)\s*\(([^)]*)\)\s*(?:QVB_PRINTF_LIKE)?\s*;", text):
            found[name] = (normalise(result), parameter_types(parameters), header.name)
    return found


# --- Fortran -------------------------------------------------------------------------------

FORTRAN_BASE = {
    "integer(c_int)": "int",
    "real(c_double)": "double",
    "real(c_float)": "float",
    "character(kind=c_char)": "char",
    "type(c_ptr)": "void *",
}


def fortran_statements(text):
    """The module's statements: comments removed, continuation lines joined."""
    statements, pending = [], ""
    for line in text.splitlines():
        line = line.split("!", 1)[0].rstrip()
        if line.endswith("&"):
            pending += line[:-1] + " "
            continue
        statement = (pending + line.lstrip("& ")).strip()
        pending = ""
        if statement:
            statements.append(re.sub(r"\s+", " ", statement))
    return statements


def split_names(names):
    """'a, b(*), c' -> ['a', 'b(*)', 'c'] (commas inside parentheses kept)."""
    return [part.strip() for part in re.split(r",(?![^(]*\))", names) if part.strip()]


def fortran_c_type(type_spec, attributes, dimensioned):
    base = FORTRAN_BASE.get(type_spec.replace(" ", "").lower())
    if base is None:
        return f"unknown Fortran type {type_spec}"
    attributes = {a.replace(" ", "").lower() for a in attributes}
    if "value" in attributes:
        return "pointer" if base == "void *" else base
    if dimensioned and base == "void *":
        return "void * *"
    const = "const " if "intent(in)" in attributes else ""
    return normalise(f"{const}{base} *")


def fortran_interfaces(module_text):
    """C name -> (result type, [parameter types], Fortran name) of every bind(C) interface."""
    found = {}
    current = None
    for statement in fortran_statements(module_text):
        head = re.match(r"(?i)^(subroutine|function)\s+(\w+)\s*\(([^)]*)\)\s*(.*)$", statement)
        if head:
            kind, fortran_name, arguments, rest = head.groups()
            bound = re.search(r'(?i)bind\s*\(\s*c\s*,\s*name\s*=\s*"([^"]+)"\s*\)', rest)
            result = re.search(r"(?i)result\s*\(\s*(\w+)\s*\)", rest)
            current = {
                "kind": kind.lower(),
                "fortran": fortran_name,
                "c_name": bound.group(1) if bound else None,
                "arguments": [a.strip().lower() for a in arguments.split(",") if a.strip()],
                "result": (result.group(1) if result else fortran_name).lower(),
                "types": {},
            }
            continue
        if current is None:
            continue
        if re.match(r"(?i)^end\s+(subroutine|function)\b", statement):
            if current["c_name"] is None:
                found[f"(no bind name) {current['fortran']}"] = ("", [], current["fortran"])
            else:
                types = current["types"]
                parameters = [fortran_c_type(*types[a]) if a in types else f"undeclared {a}"
                              for a in current["arguments"]]
                if current["kind"] == "subroutine":
                    result = "void"
                elif current["result"] in types:  # a result is returned by value
                    type_spec, _, dimensioned = types[current["result"]]
                    result = fortran_c_type(type_spec, ["value"], dimensioned)
                else:
                    result = "undeclared result"
                found[current["c_name"]] = (result, parameters, current["fortran"])
            current = None
            continue
        declaration = re.match(r"^(\w+\s*\([^)]*\))\s*((?:,\s*[\w\s]+(?:\([^)]*\))?)*)\s*::\s*(.+)$",
                               statement)
        if not declaration:
            continue
        type_spec, attribute_text, names = declaration.groups()
        attributes = [a.strip() for a in split_names(attribute_text.lstrip(", ")) if a.strip()]
        array_attribute = any(a.replace(" ", "").lower().startswith("dimension") for a in attributes)
        for name in split_names(names):
            bare = re.match(r"(\w+)\s*(\(.*\))?$", name)
            current["types"][bare.group(1).lower()] = (
                type_spec, attributes, array_attribute or bare.group(2) is not None)
    return found


def same_c_type(fortran_type, header_type):
    if fortran_type == "pointer":  # type(c_ptr), value: any pointer passes
        return header_type.endswith("*") or header_type == "QVB_Handle"
    if fortran_type == "void *" and header_type.endswith("*"):  # a returned C address
        return True
    return fortran_type == header_type


def check_fortran(module_path, prototypes):
    text = module_path.read_text()
    interfaces = fortran_interfaces(text)
    problems = []
    # A parser that silently skipped interfaces would make the rest vacuous.
    bound = len(re.findall(r"(?i)\bbind\s*\(\s*c\s*,", text))
    if len(interfaces) != bound:
        problems.append(f"read {len(interfaces)} interfaces but the module has {bound} bind(C)")
    for c_name, (result, parameters, fortran_name) in sorted(interfaces.items()):
        where = f"{module_path.name}: {fortran_name}"
        if c_name not in prototypes:
            problems.append(f"{where} binds {c_name}, which no public header declares")
            continue
        header_result, header_parameters, _ = prototypes[c_name]
        if not same_c_type(result, header_result):
            problems.append(f"{where} returns {result}, the header {header_result}")
        if len(parameters) != len(header_parameters):
            problems.append(f"{where} takes {len(parameters)} arguments, the header "
                            f"{len(header_parameters)} ({', '.join(header_parameters)})")
            continue
        for position, (declared, c_type) in enumerate(zip(parameters, header_parameters), 1):
            if not same_c_type(declared, c_type):
                problems.append(f"{where} argument {position} is {declared}, the header {c_type}")
    for name, (_, _, header) in sorted(prototypes.items()):
        if header == "qvb_fortran.h" and name not in interfaces:
            problems.append(f"{module_path.name} has no interface for {name} (qvb_fortran.h)")
    return problems, len(interfaces)


# --- Python --------------------------------------------------------------------------------

def check_python(package_parent, prototypes):
    # The declarations module alone, without the package's __init__ (and numpy).
    package = types.ModuleType("qvb")
    package.__path__ = [str(package_parent / "qvb")]
    sys.modules["qvb"] = package
    _native = importlib.import_module("qvb._native")

    # C type -> the ctypes types that pass it correctly.
    accepted = {
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
    problems = []
    declared = {**_native.PROTOTYPES, **_native.OPTIONAL_PROTOTYPES}
    for name, (restype, argtypes) in sorted(declared.items()):
        where = f"_native.py: {name}"
        if name not in prototypes:
            problems.append(f"{where} is not declared in the public headers")
            continue
        result, parameters, _ = prototypes[name]
        if restype not in accepted.get(result, ()):
            problems.append(f"{where} returns {getattr(restype, '__name__', restype)}, "
                            f"the header {result}")
        if len(argtypes) != len(parameters):
            problems.append(f"{where} takes {len(argtypes)} arguments, the header "
                            f"{len(parameters)} ({', '.join(parameters)})")
            continue
        for position, (ctype, c_type) in enumerate(zip(argtypes, parameters), 1):
            if ctype not in accepted.get(c_type, ()):
                problems.append(f"{where} argument {position} is {ctype.__name__}, "
                                f"the header {c_type}")
    return problems, len(declared)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("include", type=Path)
    parser.add_argument("--fortran", type=Path)
    parser.add_argument("--python", type=Path)
    options = parser.parse_args()

    prototypes = header_prototypes(options.include)
    problems = []
    if len(prototypes) < 150:
        problems.append(f"read only {len(prototypes)} declarations from {options.include}")
    counts = []
    if options.fortran:
        found, count = check_fortran(options.fortran, prototypes)
        problems += found
        counts.append(f"{count} Fortran interfaces")
    if options.python:
        found, count = check_python(options.python, prototypes)
        problems += found
        counts.append(f"{count} Python declarations")
    for problem in problems:
        print(problem)
    print(f"{len(prototypes)} header declarations; checked {' and '.join(counts) or 'nothing'}: "
          f"{len(problems)} differences")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
