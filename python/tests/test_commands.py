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
    # A dump and a shell file alone end the converter with status 1 after
    # writing their file, as documented: that is success, and this process runs on.
    dump = commands.qvb2mtx(tube.path, "-d", tmp_path / "dump.txt")
    assert dump.returncode == 1 and (tmp_path / "dump.txt").stat().st_size > 0
    shell = commands.qvb2mtx(tube.path, "-s", tmp_path / "tube.shell")
    assert shell.returncode == 1 and (tmp_path / "tube.shell").exists()


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
