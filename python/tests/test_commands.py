"""The converter and the comparison, run as child processes from Python."""

import os
import pty
import subprocess

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


def _run(path, *arguments, **options):
    return subprocess.run([str(path), *map(str, arguments)], capture_output=True, text=True,
                          timeout=120, **options)


def test_every_command_answers_version_and_help(command):
    for name in ("qvb2mtx", "qvbcompare", "beam_translator"):
        path = command(name)
        version = _run(path, "--version")
        assert (version.returncode, version.stdout) == (0, f"{name} {qvb.__version__}\n"), name
    for name in ("qvb2mtx", "qvbcompare", "beam_translator", "qvb-plot"):
        path = command(name)
        for switch in ("-h", "--help"):
            shown = _run(path, switch)
            assert shown.returncode == 0 and "Exit status" in shown.stdout, (name, switch)
            assert "STOP" not in shown.stderr + shown.stdout
    assert "default 40 elements" in _run(command("beam_translator"), "--help").stdout


def test_every_command_reports_a_usage_error_alike(command, tmp_path):
    """The problem, one usage line, where to find more, status 2, nothing on stdout."""
    wrong = {"qvb2mtx": [[], ["-j", "0", "x.qvb"]],
             "qvbcompare": [["--no-such-option", "a.qvb", "b.qvb"], ["a.qvb"], ["-t", "x", "a.qvb", "b.qvb"],
                            ["a.qvb", "b.qvb", "--level"]],
             "beam_translator": [["--no-such-option"], ["1"]],
             "qvb-plot": [["--no-such-option", "a.qvb"], []]}
    for name, lines in wrong.items():
        for arguments in lines:
            result = _run(command(name), *arguments, cwd=tmp_path)
            said = result.stderr.splitlines()
            assert result.returncode == 2 and result.stdout == "", (name, arguments, result.stderr)
            assert said[0].startswith(f"{name}: ") and said[-1] == \
                f"Try '{name} --help' for more information.", (name, arguments, said)
            if arguments[:1] != ["-j"]:
                assert len(said) == 3 and said[1].startswith(f"usage: {name} "), (name, arguments, said)


def test_comparison_option_spellings_and_one_line_errors(tube, command, tmp_path):
    qvbcompare = command("qvbcompare")
    from bodies import make_tube
    shifted = make_tube(tmp_path / "shifted.qvb", extra_frequency_shift=0.5)
    for spelling in (["--tolerance=1e6"], ["-t1e6"], ["--tolerance", "1e6"], ["-t", "1e6"]):
        for level in (["--level=0"], ["-v0"], ["--level", "0"]):
            result = _run(qvbcompare, tube.path, shifted.path, *spelling, *level)
            assert result.returncode == 0, (spelling, level, result.stdout + result.stderr)
    assert _run(qvbcompare, tube.path, shifted.path, "-t1e-9", "-v0").returncode == 1
    assert _run(qvbcompare, tube.path, shifted.path, "--tolerance=x").returncode == 2

    missing = _run(qvbcompare, tube.path, tmp_path / "absent.qvb")
    assert missing.returncode == 2 and missing.stdout == ""
    assert len(missing.stderr.splitlines()) == 1 and "absent.qvb" in missing.stderr, missing.stderr
    qvb2mtx = command("qvb2mtx")
    missing = _run(qvb2mtx, tmp_path / "absent.qvb")
    assert missing.returncode == 1 and missing.stdout == ""
    assert len(missing.stderr.splitlines()) == 1 and "absent.qvb" in missing.stderr, missing.stderr


def test_converter_names_its_file_and_shows_progress_only_on_a_terminal(tube, command, tmp_path):
    qvb2mtx = command("qvb2mtx")
    told = _run(qvb2mtx, tube.path, "-o", tmp_path / "told", cwd=tmp_path)
    assert told.returncode == 0 and told.stdout == f"qvb2mtx: wrote {tmp_path / 'told.mtx'}\n"
    assert told.stderr == "", "no progress line when standard error is no terminal"
    # The converter's own -L progress line is ended before the next line starts.
    timed = _run(qvb2mtx, tube.path, "-L", "-o", tmp_path / "timed", cwd=tmp_path)
    assert "seconds left" in timed.stdout and "\nqvb2mtx: wrote " in timed.stdout, timed.stdout
    quiet = _run(qvb2mtx, "-Q", tube.path, "-o", tmp_path / "quiet", cwd=tmp_path)
    assert quiet.returncode == 0 and quiet.stdout == ""

    def on_terminal(*arguments):
        main, secondary = pty.openpty()
        with subprocess.Popen([str(qvb2mtx), *map(str, arguments)], stdout=subprocess.PIPE,
                              stderr=secondary, cwd=tmp_path) as process:
            os.close(secondary)
            shown, chunk = b"", b" "
            while chunk:
                try:
                    chunk = os.read(main, 4096)
                except OSError:  # the terminal closes with the process
                    chunk = b""
                shown += chunk
            process.wait(timeout=120)
        os.close(main)
        return shown.decode()

    progress = on_terminal(tube.path, "-o", tmp_path / "shown")
    assert "invariants 5 and 9" in progress and "100%" in progress, progress
    assert progress.endswith("\n"), "the progress line ends with a newline"
    assert on_terminal("-Q", tube.path, "-o", tmp_path / "hidden") == ""
