"""Running the library's commands (qvb2mtx, qvbcompare) as child processes.

The converter and the comparison may end the process they run in (after a
dump, a shell file, an optimized body, or a fatal mismatch), so they are never
called inside the Python process: each run is a separate command, and its
exit status and output come back to the caller.

The commands are looked for in the folder named by ``QVB_BIN_DIR``, then in
the installation or build tree of the loaded library, then on ``PATH``.
"""

import os
import shutil
import subprocess
from dataclasses import dataclass
from pathlib import Path

from ._native import library
from .errors import QvbError


def _bin_dirs():
    named = os.environ.get("QVB_BIN_DIR")
    if named:
        yield Path(named)
    try:
        from . import _install_paths  # written by the install step only
        yield (Path(__file__).resolve().parent / _install_paths.BINDIR).resolve()
    except ImportError:
        pass
    lib_dir = Path(library().path).resolve().parent
    # A build tree keeps commands in bin/ beside lib/; an installation in
    # <prefix>/bin, one or two levels above a (multiarch) library folder.
    yield lib_dir.parent / "bin"
    yield lib_dir.parent.parent / "bin"


def find_command(name):
    """The path of one of the library's commands; QvbError when absent."""
    for folder in _bin_dirs():
        candidate = folder / name
        if candidate.is_file() and os.access(candidate, os.X_OK):
            return candidate
    found = shutil.which(name)
    if found:
        return Path(found)
    raise QvbError(f"cannot find the command {name}; set QVB_BIN_DIR to its folder")


def run(name, arguments, **options):
    """Runs one of the commands with its output captured as text (see subprocess.run)."""
    command = [str(find_command(name))] + [os.fspath(a) for a in arguments]
    options.setdefault("capture_output", True)
    options.setdefault("text", True)
    return subprocess.run(command, check=False, **options)


def qvb2mtx(body, *switches, quiet=False, check=True, **options):
    """Writes a body's matrices into an MTX file: ``qvb2mtx [-Q] BODY switches...``.

    Example: ``qvb2mtx("beam.qvb", "-o", "beam", "-l", "mm", "+M", "7:12")``.
    With check (the default) a non-zero exit status raises QvbError carrying
    the converter's output; otherwise the CompletedProcess is returned as is.
    """
    result = run("qvb2mtx", (["-Q"] if quiet else []) + [body, *switches], **options)
    if check and result.returncode != 0:
        output = "\n".join(t.strip() for t in (result.stdout, result.stderr) if t and t.strip())
        raise QvbError(f"qvb2mtx ended with status {result.returncode}",
                       [output] if output else [])
    return result


@dataclass
class Comparison:
    """The outcome of comparing two bodies."""

    status: int      # 0 equivalent, 1 different, 2 unreadable, 255 meaningless
    report: str      # the Pass/Fail report as printed
    errors: str      # the command's standard error

    @property
    def equivalent(self):
        return self.status == 0


def compare(base, new, level=None, tolerance=None, **options):
    """Compares a new body with a base body: ``qvbcompare BASE NEW [-v L] [-t T]``.

    Returns a Comparison; a body that cannot be opened raises QvbError.
    """
    arguments = [base, new]
    if level is not None:
        arguments += ["-v", str(int(level))]
    if tolerance is not None:
        arguments += ["-t", repr(float(tolerance))]
    result = run("qvbcompare", arguments, **options)
    if result.returncode == 2:
        raise QvbError("qvbcompare could not compare", [result.stderr.strip()])
    return Comparison(result.returncode, result.stdout, result.stderr)
