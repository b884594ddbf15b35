"""The converter and the comparison, run as child processes from Python."""

import pytest

import qvb
from qvb import commands


def test_converter_writes_an_mtx_file(tube, command, tmp_path):
    command("qvb2mtx")
    result = commands.qvb2mtx(tube.path, "-o", tmp_path / "tube.mtx", "+M", "7:10",
                              quiet=True)
    assert result.returncode == 0
    assert (tmp_path / "tube.mtx").stat().st_size > 0
    with pytest.raises(qvb.QvbError, match="No such switch"):
        commands.qvb2mtx(tube.path, "-o", tmp_path / "other", "-bogus")
    # A switch that ends the converter's process leaves this one running.
    ended = commands.qvb2mtx(tube.path, "-d", tmp_path / "dump.txt", check=False)
    assert ended.returncode == 1 and (tmp_path / "dump.txt").exists()


def test_comparison_verdicts(tube, command, tmp_path):
    command("qvbcompare")
    from bodies import make_tube
    same = commands.compare(tube.path, tube.path, level=2)
    assert same.equivalent and "  Pass " in same.report
    shifted = make_tube(tmp_path / "shifted.qvb", extra_frequency_shift=0.5)
    different = commands.compare(tube.path, shifted.path, tolerance=1e-6)
    assert not different.equivalent and "->Fail " in different.report
    # A loose enough tolerance accepts the same pair.
    assert commands.compare(tube.path, shifted.path, tolerance=1e6).equivalent
    with pytest.raises(qvb.QvbError):
        commands.compare(tube.path, tmp_path / "absent.qvb")
