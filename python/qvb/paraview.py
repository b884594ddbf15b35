"""Bodies for ParaView: the skin as a VTK unstructured grid with the modes on it.

``write_vtu(body, "beam")`` writes

- ``beam.vtu``: the body's skin (its faces as polygons, over the nodes they
  use) with one point-data vector per mode, named with the mode number and
  its frequency (``"mode 7 (12.3 Hz)"``), and, where the body has modal
  stresses, one six-component array per mode (``"stress mode 7 (12.3 Hz)"``:
  three normal, then three shear components; NaN at nodes without a value);
- ``beam.pvd``: a collection of one grid per mode (``beam_modes/mode7.vtu``,
  arrays ``displacement`` and ``stress``) whose time step is the mode number
  (frequencies repeat: the rigid-body modes all have 0 Hz), so that
  ParaView's time controls step from mode to mode under one array name.

The grids are written by meshio (Debian's python3-meshio); the collection is a
few lines of XML. In ParaView: open ``beam.vtu``, apply Filters > Warp By
Vector with a mode's array, and animate its Scale Factor (docs/user-guide.md).
"""

import os
from pathlib import Path
from typing import Any, Dict, List, Tuple
from xml.sax.saxutils import quoteattr

import numpy as np

from .body import ROTATION, SHAPE, STRESS, TRANSLATION, PathLike
from .errors import QvbError

__all__ = ["write_vtu"]


def _meshio():
    try:
        import meshio
    except ImportError:
        raise QvbError("writing VTK files needs meshio (Debian package python3-meshio)") from None
    return meshio


def _skin(body) -> Tuple[np.ndarray, List[Tuple[str, np.ndarray]]]:
    """The node indices the faces use, and the faces as meshio cell blocks over them."""
    count = body.node_count
    faces = [np.asarray(f, dtype=np.int64) for f in body.face_node_indices()]
    faces = [f for f in faces if len(f) >= 2 and f.min() >= 0 and f.max() < count]
    if not faces:  # a body without faces still shows its nodes
        used = np.arange(count)
        return used, [("vertex", used.reshape(-1, 1))] if count else []
    used = np.unique(np.concatenate(faces))
    position = np.full(count, -1, dtype=np.int64)
    position[used] = np.arange(len(used))
    by_size: Dict[int, List[np.ndarray]] = {}
    for face in faces:
        by_size.setdefault(len(face), []).append(position[face])
    kinds = {2: "line", 3: "triangle", 4: "quad"}
    return used, [(kinds.get(size, "polygon"), np.array(rows)) for size, rows in sorted(by_size.items())]


def _per_node(body, ids, values, used) -> np.ndarray:
    """Rows of values given for node IDs, placed at the skin nodes (NaN elsewhere)."""
    row_of = {int(node_id): row for row, node_id in enumerate(ids)}
    node_ids = body.node_ids[used]
    out = np.full((len(used), values.shape[1]), np.nan)
    for k, node_id in enumerate(node_ids):
        row = row_of.get(int(node_id))
        if row is not None:
            out[k] = values[row]
    return out


def _mode_name(number: int, frequency: float) -> str:
    return f"mode {number} ({frequency:.4g} Hz)"


def write_vtu(body: Any, output: PathLike) -> List[Path]:
    """Writes OUTPUT.vtu (all modes) and OUTPUT.pvd with OUTPUT_modes/ (one
    grid per mode, time step = mode number); returns the files written.

    A trailing ".vtu" or ".pvd" of OUTPUT is dropped.
    """
    meshio = _meshio()
    base = os.fspath(output)
    for extension in (".vtu", ".pvd"):
        if base.lower().endswith(extension):
            base = base[:-len(extension)]
    base_path = Path(base)
    used, cells = _skin(body)
    points = body.coordinates[used] if len(used) else np.zeros((0, 3))
    stress_ids = body.mode_node_ids(STRESS)
    modes = [(int(n), float(f)) for n, f in zip(body.mode_numbers, body.frequencies)]

    all_modes: Dict[str, np.ndarray] = {}
    per_mode: List[Tuple[int, float, Dict[str, np.ndarray]]] = []
    shape_ids = body.mode_node_ids(SHAPE)
    for number, frequency in modes:
        arrays = {"displacement": np.nan_to_num(_per_node(body, shape_ids, body.mode_shape(number), used))}
        if len(stress_ids):
            stress = np.hstack([body.mode_shape(number, STRESS, TRANSLATION),
                                body.mode_shape(number, STRESS, ROTATION)])
            arrays["stress"] = _per_node(body, stress_ids, stress, used)
        all_modes[_mode_name(number, frequency)] = arrays["displacement"]
        if "stress" in arrays:
            all_modes["stress " + _mode_name(number, frequency)] = arrays["stress"]
        per_mode.append((number, frequency, arrays))

    if base_path.parent != Path("") and not base_path.parent.is_dir():
        raise FileNotFoundError(2, "no such folder", str(base_path.parent))
    written = [base_path.with_name(base_path.name + ".vtu")]
    meshio.write(str(written[0]), meshio.Mesh(points, cells, point_data=all_modes))
    folder = base_path.with_name(base_path.name + "_modes")
    folder.mkdir(exist_ok=True)
    entries = []
    for number, frequency, arrays in per_mode:
        path = folder / f"mode{number}.vtu"
        meshio.write(str(path), meshio.Mesh(points, cells, point_data=arrays))
        written.append(path)
        relative = f"{folder.name}/{path.name}"
        entries.append(f'    <DataSet timestep="{number}" part="0" file={quoteattr(relative)}/>'
                       f'  <!-- {_mode_name(number, frequency)} -->')
    collection = base_path.with_name(base_path.name + ".pvd")
    collection.write_text('<?xml version="1.0"?>\n'
                          '<VTKFile type="Collection" version="0.1">\n  <Collection>\n'
                          + "\n".join(entries) + "\n  </Collection>\n</VTKFile>\n")
    written.append(collection)
    return written
