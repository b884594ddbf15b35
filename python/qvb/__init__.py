"""Python host for the flexible-body library.

A flexible body is a finite-element part reduced to modal form: nodes, faces,
eigenvalues and mode shapes, nodal masses, inertia invariants, generalized
matrices. This package opens, creates, reads and writes bodies through the
library (``libqvb.so``) and returns numpy arrays::

    import qvb
    with qvb.open("beam.qvb") as body:
        print(body.units, body.node_count, body.frequencies)
        shape = body.mode_shape(7)          # numpy array, one row per shape node

Nodes are named by their IDs, modes by their mode numbers (see ``Body``).
Failing calls raise ``QvbError`` carrying the library's own message; a
missing file is also a ``FileNotFoundError``, a bad value a ``ValueError``,
a wrong type (a float where an integer is meant, ``qvb.ROTATION`` where a
``ResultKind`` is meant) a ``TypeError``. The library's warnings are issued
as ``QvbWarning`` through ``warnings``; its other messages go to the "qvb"
logger, which prints nothing unless the script sets up logging.

``qvb.commands`` runs the commands (qvb2mtx, qvbcompare); ``qvb.plot`` draws
mode shapes (it needs matplotlib); ``qvb.paraview.write_vtu`` writes a body
and its modes as VTK files for ParaView (it needs meshio). ``from qvb import *`` leaves the built-in
``open`` alone: call ``qvb.open``. See docs/user-guide.md.
"""

import ctypes
from typing import Optional

from . import commands
from ._native import Library, library
from ._version import __version__
from .body import (ROTATION, SHAPE, STRAIN, STRESS, TRANSLATION, UNIT_NAMES, Body, Eigen, Header,
                   MassProperties, ResultKind, ResultPart, Units, create, open, parse_specification)
from .errors import (BodyIsAFolderError, BodyNotFoundError, QvbError, QvbTypeError, QvbValueError,
                     QvbWarning)

# "open" is left out on purpose: a star import must not hide the built-in.
__all__ = ["Body", "BodyIsAFolderError", "BodyNotFoundError", "Eigen", "Header", "Library",
           "MassProperties", "QvbError", "QvbTypeError", "QvbValueError", "QvbWarning", "ResultKind",
           "ResultPart", "UNIT_NAMES", "Units", "canonical_unit", "commands", "create", "library",
           "parse_specification", "terminate", "SHAPE", "STRESS", "STRAIN", "TRANSLATION", "ROTATION",
           "__version__"]


def terminate() -> None:
    """Shuts the storage backends down and closes every open body.

    Bodies opened before become unusable; the next open or create starts the
    backends again.
    """
    lib = library()
    lib.QVB_Terminate()
    lib.generation += 1


def canonical_unit(label: str) -> Optional[str]:
    """The library's canonical name for a unit label ("kg" -> "KILOGRAM"), or None."""
    lib = library()
    if not lib.has("QVB_ConvertUnitsLabel"):
        raise QvbError("this library has no unit table")
    text = label.encode()
    if b"\0" in text:
        return None
    buffer = ctypes.create_string_buffer(text, max(len(text) + 1, 32))
    if lib.QVB_ConvertUnitsLabel(buffer) == 0:
        return None
    return buffer.value.decode()
