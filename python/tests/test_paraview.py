"""Bodies for ParaView, read back with the library that wrote them (meshio)."""

import os
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import numpy as np
import pytest

meshio = pytest.importorskip("meshio")

import qvb  # noqa: E402
from qvb.paraview import write_vtu  # noqa: E402

QVB_PLOT = Path(__file__).resolve().parents[1] / "qvb-plot"


def _stressed_panel(path):
    """Two quadrilaterals and a triangle over six nodes, an interior node no
    face uses, two modes with shapes at every node and stresses at three."""
    with qvb.create(7, 2) as body:
        body.set_header(title="panel", file_type="PYTEST")
        for node_id, xyz in zip((11, 12, 13, 21, 22, 23, 99),
                                ((0, 0, 0), (1, 0, 0), (2, 0, 0), (0, 1, 0), (1, 1, 0), (2, 1, 0), (1, .5, -1))):
            body.set_node(node_id, xyz, mass=1.0)
        for face in ((11, 12, 22, 21), (12, 13, 23), (12, 23, 22)):
            body.add_face(face)
        for mode, (mass, stiffness) in ((7, (1.0, 4e4)), (8, (1.0, 9e4))):
            body.set_generalized(mode, mass, stiffness)
            for k, node_id in enumerate((11, 12, 13, 21, 22, 23, 99)):
                body.set_mode(mode, node_id, [mode, k, -k, 0.5, 0.25, 0.125])
            for k, node_id in enumerate((12, 22, 99)):
                body.set_mode(mode, node_id, [100 * mode + k + j for j in range(6)], kind=qvb.STRESS)
        body.rebuild_eigenvalues()
        body.write(str(path))


def test_the_skin_and_every_mode_reach_paraview(body_backend, tmp_path):
    _stressed_panel(tmp_path / "panel.qvb")
    with qvb.open(tmp_path / "panel.qvb") as body:
        with pytest.raises(FileNotFoundError):
            write_vtu(body, tmp_path / "no-folder" / "panel")
        written = write_vtu(body, tmp_path / "panel.vtu")
        frequencies = dict(zip(body.mode_numbers, body.frequencies))
    assert written[0] == tmp_path / "panel.vtu" and written[-1] == tmp_path / "panel.pvd"

    grid = meshio.read(tmp_path / "panel.vtu")
    # The skin: the six face nodes (not the interior one), faces as cells.
    assert len(grid.points) == 6 and not np.any(np.all(grid.points == (1, .5, -1), axis=1))
    kinds = {block.type: len(block.data) for block in grid.cells}
    assert kinds == {"triangle": 2, "quad": 1}
    node_of = {tuple(p): k for k, p in enumerate(grid.points)}
    name = f"mode 8 ({frequencies[8]:.4g} Hz)"
    assert frequencies[8] > frequencies[7] > 0 and name in grid.point_data
    shape = grid.point_data[name]
    np.testing.assert_allclose(shape[node_of[(2.0, 1.0, 0.0)]], [8, 5, -5])  # node 23, sixth set
    stress = grid.point_data["stress " + name]
    np.testing.assert_allclose(stress[node_of[(1.0, 1.0, 0.0)]], [801 + j for j in range(6)])  # node 22
    assert np.isnan(stress[node_of[(0.0, 0.0, 0.0)]]).all()  # node 11 carries no stress

    # The collection: one grid a mode, time step the mode number.
    steps = ElementTree.parse(tmp_path / "panel.pvd").getroot().find("Collection")
    assert [(d.get("timestep"), d.get("file")) for d in steps] == \
        [("7", "panel_modes/mode7.vtu"), ("8", "panel_modes/mode8.vtu")]
    seventh = meshio.read(tmp_path / "panel_modes" / "mode7.vtu")
    np.testing.assert_allclose(seventh.point_data["displacement"][node_of[(2.0, 1.0, 0.0)]], [7, 5, -5])
    np.testing.assert_allclose(seventh.points, grid.points)


def test_qvb_plot_writes_them(body_backend, tmp_path):
    _stressed_panel(tmp_path / "panel.qvb")
    result = subprocess.run([sys.executable, str(QVB_PLOT), "panel.qvb", "--vtu", "view"], cwd=tmp_path,
                            capture_output=True, text=True, env=os.environ.copy(), timeout=120)
    assert (result.returncode, result.stdout) == (0, "view.vtu\n"), result.stderr
    assert (tmp_path / "view.pvd").is_file() and meshio.read(tmp_path / "view.vtu").point_data
