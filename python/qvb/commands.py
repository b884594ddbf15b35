"""Running the library's commands (qvb2mtx, qvbcompare) as child processes.

The converter and the comparison may end the process they run in (after a
dump, a shell file, an optimized body, or a fatal mismatch), so they are never
called inside the Python process: each run is a separate command, and its
exit status and output come back to the caller.

The commands are looked for in the folder named by ``QVB_BIN_DIR``, then in
the installation or build tree of the loaded library, then on ``PATH``.
"""

import operator
import os
import shutil
import subprocess
from dataclasses import dataclass
from pathlib import Path
from typing import Any, Iterator, Optional, Sequence

from ._native import library
from .errors import QvbError

__all__ = ["Comparison", "compare", "find_command", "qvb2mtx", "run"]


def _bin_dirs() -> Iterator[Path]:
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


def find_command(name: str) -> Path:
    """The path of one of the library's commands; QvbError when absent."""
    for folder in _bin_dirs():
        candidate = folder / name
        if candidate.is_file() and os.access(candidate, os.X_OK):
            return candidate
    found = shutil.which(name)
    if found:
        return Path(found)
    raise QvbError(f"cannot find the command {name}; set QVB_BIN_DIR to its folder")


def run(name: str, arguments: Sequence[Any], **options: Any) -> subprocess.CompletedProcess:
    """Runs one of the commands with its output captured as text (see subprocess.run)."""
    command = [str(find_command(name))] + [os.fspath(a) for a in arguments]
    options.setdefault("capture_output", True)
    options.setdefault("text", True)
    return subprocess.run(command, check=False, **options)


def _converter_success(switches: Sequence[str]) -> int:
    """The exit status that means success for a converter run.

    A dump (-d), and a shell file (-s) asked for without an MTX file (-o),
    end the converter with status 1 once their file is written; -O ends it
    with 0 after writing the edited body; everything else is 0.
    """
    if "-O" in switches:
        return 0
    if "-d" in switches or ("-s" in switches and "-o" not in switches):
        return 1
    return 0


def qvb2mtx(body: Any, *switches: Any, quiet: bool = False, check: bool = True,
            **options: Any) -> subprocess.CompletedProcess:
    """Writes a body's matrices into an MTX file: ``qvb2mtx [-Q] BODY switches...``.

    Example: ``qvb2mtx("beam.qvb", "-o", "beam", "-l", "mm", "+M", "7:12")``.
    With check (the default) a run that did not do what its switches ask for
    raises QvbError carrying the converter's output; the documented endings
    of a dump (-d) or of a shell file alone (-s without -o), status 1, count
    as success. Without check the CompletedProcess is returned as it is.
    """
    words = [os.fspath(s) if isinstance(s, os.PathLike) else str(s) for s in switches]
    result = run("qvb2mtx", (["-Q"] if quiet else []) + [body, *words], **options)
    if check and result.returncode != _converter_success(words):
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
    def equivalent(self) -> bool:
        """Whether the comparison found the bodies equivalent (status 0)."""
        return self.status == 0


def compare(base: Any, new: Any, level: Optional[int] = None,
            tolerance: Optional[float] = None, **options: Any) -> Comparison:
    """Compares a new body with a base body: ``qvbcompare BASE NEW [-v L] [-t T]``.

    Returns a Comparison; a body that cannot be opened raises QvbError.
    """
    arguments = [base, new]
    if level is not None:
        arguments += ["-v", str(operator.index(level))]
    if tolerance is not None:
        arguments += ["-t", repr(float(tolerance))]
    result = run("qvbcompare", arguments, **options)
    if result.returncode == 2:
        raise QvbError("qvbcompare could not compare", [result.stderr.strip()])
    return Comparison(result.returncode, result.stdout, result.stderr)
