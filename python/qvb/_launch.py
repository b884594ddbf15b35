"""Console scripts for the commands built with the package (pip install):
each replaces the Python process with the command of the same name."""

import os
import sys

from .commands import find_command
from .errors import QvbError

__all__ = ["beam_translator", "ccx2qvb", "qvb2mtx", "qvbcompare"]


def _exec(name: str) -> int:
    try:
        path = str(find_command(name))
    except QvbError as error:
        print(f"{name}: {error}", file=sys.stderr)
        return 1
    # Found on PATH, the command could be this very script: that would loop.
    if os.path.realpath(path) == os.path.realpath(sys.argv[0]):
        print(f"{name}: the command is not installed with this package", file=sys.stderr)
        return 1
    os.execv(path, [path, *sys.argv[1:]])
    return 1  # not reached: execv returns only by raising


def qvb2mtx() -> int:
    """Runs the qvb2mtx command of this installation."""
    return _exec("qvb2mtx")


def qvbcompare() -> int:
    """Runs the qvbcompare command of this installation."""
    return _exec("qvbcompare")


def beam_translator() -> int:
    """Runs the example translator beam_translator of this installation."""
    return _exec("beam_translator")


def ccx2qvb() -> int:
    """Runs the translator ccx2qvb of this installation (it runs CalculiX's ccx)."""
    return _exec("ccx2qvb")
