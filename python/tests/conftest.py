"""Shared fixtures: the library, its storage backend, and a written tube body.

Pieces that are not built yet (the library, a plug-in, a command) make the
tests that need them skip with the reason, rather than fail.
"""

import os
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.path.insert(0, str(Path(__file__).resolve().parent.parent))

import qvb  # noqa: E402
from qvb.commands import find_command  # noqa: E402


def _plugin_present(stem):
    folders = [Path(p) for p in os.environ.get("TRX_USER_PLUGIN_DIR", "").split(os.pathsep) if p]
    return any((folder / f"{stem}.so").is_file() for folder in folders)


@pytest.fixture(scope="session")
def lib():
    try:
        return qvb.library()
    except qvb.QvbError as error:
        pytest.skip(f"library not available: {error}")


@pytest.fixture(scope="session")
def body_backend(lib):
    if not _plugin_present("qvbflex"):
        pytest.skip("the qvbflex storage plug-in is not built")
    return lib


@pytest.fixture(scope="session")
def database_backend(lib):
    if not _plugin_present("dbvflex"):
        pytest.skip("the dbvflex database plug-in is not built")
    return lib


@pytest.fixture(scope="session")
def tube(body_backend, tmp_path_factory):
    from bodies import make_tube
    return make_tube(tmp_path_factory.mktemp("bodies") / "tube.qvb")


@pytest.fixture
def command():
    def locate(name):
        try:
            return find_command(name)
        except qvb.QvbError:
            pytest.skip(f"the command {name} is not built")
    return locate
