"""Pictures of mode shapes: well-formed PNGs of the asked size that show the mode."""

import os
import struct
import subprocess
import sys
import zlib
from pathlib import Path

import numpy as np
import pytest

pytest.importorskip("matplotlib")

import qvb  # noqa: E402
from qvb import plot  # noqa: E402

QVB_PLOT = Path(__file__).resolve().parents[1] / "qvb-plot"


def png_size(path):
    """Width and height of a PNG, after checking every chunk's checksum."""
    data = Path(path).read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "no PNG signature"
    position, chunks = 8, []
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        (crc,) = struct.unpack(">I", data[position + 8 + length:position + 12 + length])
        assert zlib.crc32(kind + body) == crc, f"bad checksum in chunk {kind!r}"
        chunks.append(kind)
        position += 12 + length
    assert chunks[0] == b"IHDR" and chunks[-1] == b"IEND" and b"IDAT" in chunks
    width, height = struct.unpack(">II", data[16:24])
    return width, height


def pixels(path):
    from matplotlib.image import imread
    return imread(str(path))[..., :3]


def test_two_modes_give_different_pictures(tube, tmp_path):
    bending, torsion = tmp_path / "bending.png", tmp_path / "torsion.png"
    with qvb.open(tube.path) as body:
        plot.render_mode(body, 7, bending, width=640, height=480)
        plot.render_mode(body, 9, torsion, width=640, height=480)
    assert png_size(bending) == png_size(torsion) == (640, 480)
    # More than the title differs: the surfaces are deformed differently.
    changed = np.any(np.abs(pixels(bending) - pixels(torsion)) > 0.1, axis=-1)
    assert changed.mean() > 0.02


def test_deformation_is_scaled_to_the_body(tube):
    displacements = tube.shapes[7][:, :3] * 1e-7
    scale = plot.deformation_scale(tube.coordinates, displacements, fraction=0.1)
    largest = np.max(np.linalg.norm(scale * displacements, axis=1))
    assert largest == pytest.approx(0.1 * plot.body_size(tube.coordinates))
    assert plot.deformation_scale(tube.coordinates, np.zeros((3, 3))) == 0.0


def test_drawing_into_the_callers_axes_and_formats_by_extension(tube, tmp_path):
    from matplotlib.figure import Figure
    figure = Figure()
    axes = figure.add_subplot(1, 2, 2, projection="3d")
    with qvb.open(tube.path) as body:
        plot.draw_body_mode(axes, body, 7)
        assert axes.collections and "Mode 7" in axes.get_title()
        plot.render_mode(body, 7, tmp_path / "m7.svg", width=200, height=200)
        plot.render_mode(body, 7, tmp_path / "m7.pdf", width=200, height=200)
        with pytest.raises(ValueError, match="cannot write a .xyz image"):
            plot.render_mode(body, 7, tmp_path / "m7.xyz")
    assert (tmp_path / "m7.svg").read_text().lstrip().startswith("<?xml")
    assert (tmp_path / "m7.pdf").read_bytes().startswith(b"%PDF")


def test_strip_leaves_out_rigid_modes(tube, tmp_path):
    strip = tmp_path / "strip.png"
    with qvb.open(tube.path) as body:
        assert [n for n, _ in plot.flexible_modes(body)] == [7, 8, 9, 10]
        plot.render_strip(body, strip, count=3, panel_width=300, panel_height=320)
    assert png_size(strip) == (900, 320)


def test_colour_bars_keep_clear_of_the_tick_labels(tube):
    """Several modes in one figure: no axis (line, tick labels, name) reaches
    into a colour bar."""
    with qvb.open(tube.path) as body:
        figure = plot._new_figure(1200, 500, 100)
        for column, number in enumerate((7, 8), start=1):
            plot.draw_body_mode(figure.add_subplot(1, 2, column, projection="3d"), body, number)
        figure.canvas.draw()
        renderer = figure.canvas.get_renderer()
        bars = [a for a in figure.axes if hasattr(a, "_colorbar")]
        assert len(bars) == 2
        for axes in figure.axes:
            if axes in bars:
                continue
            for axis in (axes.xaxis, axes.yaxis, axes.zaxis):
                drawn = axis.get_tightbbox(renderer)
                assert not any(drawn.overlaps(bar.get_tightbbox(renderer)) for bar in bars), axis.axis_name


def _qvb_plot(*arguments, cwd):
    return subprocess.run([sys.executable, str(QVB_PLOT), *map(str, arguments)], cwd=cwd,
                          capture_output=True, text=True, env=os.environ.copy(), timeout=240)


def test_qvb_plot_command(tube, tmp_path):
    listed = _qvb_plot("--list", tube.path, cwd=tmp_path)
    assert listed.returncode == 0, listed.stderr
    assert len(listed.stdout.splitlines()) == 1 + len(tube.shapes)
    assert "55" in listed.stdout.splitlines()[-1]

    # "qvb-plot --list | head": a reader that has gone away ends it quietly.
    read_end, write_end = os.pipe()
    os.close(read_end)
    cut = subprocess.run([sys.executable, str(QVB_PLOT), "--list", tube.path], cwd=tmp_path,
                         stdout=write_end, stderr=subprocess.PIPE, text=True, timeout=240)
    os.close(write_end)
    assert (cut.returncode, cut.stderr) == (0, "")

    one = _qvb_plot(tube.path, "--mode", 8, "-o", tmp_path / "m8.png", "--size", "400x300",
                    cwd=tmp_path)
    assert one.returncode == 0, one.stderr
    assert png_size(tmp_path / "m8.png") == (400, 300)

    default = _qvb_plot(tube.path, "--strip", 2, cwd=tmp_path)
    assert default.returncode == 0, default.stderr
    assert png_size(tmp_path / "tube.png") == (720, 400)

    missing = _qvb_plot(tube.path, "--mode", 42, cwd=tmp_path)
    assert missing.returncode == 1 and "no mode number 42" in missing.stderr
    assert not (tmp_path / "tube_mode42.png").exists()

    # User errors are one line on stderr, never a traceback.
    for arguments in ((tube.path, "-o", tmp_path / "absent" / "x.png"),
                      (tmp_path / "absent.qvb",), (tube.path, "--mode", "7.5")):
        failed = _qvb_plot(*arguments, cwd=tmp_path)
        assert failed.returncode in (1, 2) and "Traceback" not in failed.stderr, failed.stderr
    unreadable = _qvb_plot(tmp_path / "absent.qvb", cwd=tmp_path)
    assert len(unreadable.stderr.strip().splitlines()) == 1, unreadable.stderr
