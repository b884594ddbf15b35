"""Python host for the flexible-body library.

    import qvb
    with qvb.open("beam.qvb") as body:
        print(body.units, body.node_count, body.frequencies)
        shape = body.mode_shape(7)          # numpy array, one row per shape node

The library's messages go to the "qvb" logger; failing calls raise QvbError
carrying the library's own message. See docs/user-guide.md.
"""

import ctypes

from . import commands
from ._native import library
from .body import (ROTATION, SHAPE, STRAIN, STRESS, TRANSLATION, Body, Eigen, Header,
                   MassProperties, Units, create, open)
from .errors import QvbError

__all__ = ["Body", "Eigen", "Header", "MassProperties", "QvbError", "Units", "canonical_unit",
           "commands", "create", "library", "open", "terminate", "SHAPE", "STRESS", "STRAIN",
           "TRANSLATION", "ROTATION"]


def terminate():
    """Shuts the storage backends down and closes every open body.

    Bodies opened before become unusable; the next open or create starts the
    backends again.
    """
    lib = library()
    lib.QVB_Terminate()
    lib.generation += 1


def canonical_unit(label):
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
