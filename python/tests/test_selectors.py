"""The package reads "file::selector" exactly as the stores and the commands.

The table tests/support/body_selectors.txt is shared with the C++ test of the
stores and the commands' helper; here it runs against qvb.parse_specification
and qvb.open (whole body and surface mesh).
"""

import os
from pathlib import Path

import pytest

import qvb

SOURCE = Path(os.environ.get("QVB_SOURCE_DIR", Path(__file__).resolve().parents[2]))


def _cases():
    for line in (SOURCE / "tests" / "support" / "body_selectors.txt").read_text().splitlines():
        if line and not line.startswith("#"):
            specification, parsed, body = line.split(" | ")
            yield specification.replace("<blank>", " "), parsed, body


CASES = list(_cases())


@pytest.fixture(scope="module")
def folder(body_backend, database_backend, tmp_path_factory):
    where = tmp_path_factory.mktemp("selectors")
    for title, target in [("first", "beam.qvb::1"), ("second", "beam.qvb::2"), ("wing", "fleet.master::wing"),
                          ("tail", "fleet.master::tail"), ("7", "fleet.master::*"),
                          ("ccx2qvb: bracket.inp", "fleet.master"), ("left, v1.2::b", "fleet.master")]:
        with qvb.create(1, 0) as body:
            body.set_header(title=title, file_type="TEST")
            body.set_node(1, (0.0, 0.0, 0.0))
            body.write(str(where / target))
    return where


def test_the_table_is_read():
    assert len(CASES) > 20


@pytest.mark.parametrize("specification,parsed,body", CASES, ids=[repr(c[0]) for c in CASES])
def test_every_reader_takes_the_same_body(folder, specification, parsed, body):
    full = f"{folder}/{specification}"
    if parsed == "refused":
        with pytest.raises(qvb.QvbError):
            qvb.parse_specification(full)
    else:
        file_name, index, name = parsed.split(" ", 2)
        assert qvb.parse_specification(full) == (f"{folder}/{file_name}", int(index), "" if name == "-" else name)
    for surface_only in (False, True):
        if body == "none":
            with pytest.raises(qvb.QvbError):
                qvb.open(full, surface_only=surface_only)
        else:
            with qvb.open(full, surface_only=surface_only) as opened:
                assert opened.header.title.rstrip() == body
