"""Small bodies made through the library itself, for the tests.

A thin tube along x: rings of nodes with quadrilateral faces between them, six
rigid-body modes and four flexible ones (two bendings, a torsion, an axial
stretch). Node IDs are neither contiguous nor start at 0, so that any mix-up
of node IDs and node indices shows.
"""

import math
from dataclasses import dataclass, field

import numpy as np

import qvb

FLEXIBLE_FREQUENCIES = {7: 12.0, 8: 12.5, 9: 30.0, 10: 55.0}


@dataclass
class Tube:
    path: str
    node_ids: list = field(default_factory=list)
    coordinates: np.ndarray = None
    masses: np.ndarray = None
    faces: list = field(default_factory=list)      # node IDs
    interface_nodes: list = field(default_factory=list)
    shapes: dict = field(default_factory=dict)     # mode number -> N x 6, node order
    frequencies: dict = field(default_factory=dict)


def _mode_values(mode, x, y, z, s):
    """Six values (translations, rotations) of a node for a mode."""
    bend = math.cos(math.pi * s)
    table = {
        1: (1, 0, 0, 0, 0, 0), 2: (0, 1, 0, 0, 0, 0), 3: (0, 0, 1, 0, 0, 0),
        4: (0, -z, y, 1, 0, 0), 5: (z, 0, -x, 0, 1, 0), 6: (-y, x, 0, 0, 0, 1),
        7: (0, bend, 0, 0, 0, 0), 8: (0, 0, bend, 0, 0, 0),
        9: (0, -bend * z, bend * y, bend, 0, 0), 10: (bend, 0, 0, 0, 0, 0),
    }
    return table[mode]


def make_tube(path, stations=9, around=8, length=2.0, radius=0.1, node_mass=0.5,
              units=("kg", "m", "s", "n"), extra_frequency_shift=0.0):
    """Builds the tube, writes it to path and returns what was put in."""
    tube = Tube(path=str(path))
    body = qvb.create(stations * around, 10)
    try:
        body.set_units(*units)
        body.set_header(title="test tube", file_type="PYTEST", comment1="made by bodies.py")
        coordinates, masses = [], []
        for station in range(stations):
            x = length * station / (stations - 1)
            for k in range(around):
                angle = 2.0 * math.pi * k / around
                node_id = 1000 + 100 * station + 3 * k
                xyz = (x, radius * math.cos(angle), radius * math.sin(angle))
                body.set_node(node_id, xyz, mass=node_mass)
                tube.node_ids.append(node_id)
                coordinates.append(xyz)
                masses.append(node_mass)
        tube.interface_nodes = [tube.node_ids[0], tube.node_ids[-1]]
        for node_id in tube.interface_nodes:
            body.set_interface_node(node_id)
        for station in range(stations - 1):
            for k in range(around):
                ring, following = 1000 + 100 * station, 1000 + 100 * (station + 1)
                k1 = (k + 1) % around
                face = [ring + 3 * k, ring + 3 * k1, following + 3 * k1, following + 3 * k]
                body.add_face(face)
                tube.faces.append(face)
        frequencies = {m: 0.0 for m in range(1, 7)}
        frequencies.update({m: f + extra_frequency_shift for m, f in FLEXIBLE_FREQUENCIES.items()})
        for mode, frequency in frequencies.items():
            rows = []
            for node_id, (x, y, z) in zip(tube.node_ids, coordinates):
                values = _mode_values(mode, x, y, z, x / length)
                body.set_mode(mode, node_id, values)
                rows.append(values)
            tube.shapes[mode] = np.array(rows, dtype=float)
            omega = 2.0 * math.pi * frequency
            body.set_generalized(mode, 1.0, omega * omega)
        tube.frequencies = frequencies
        body.write(path)
    finally:
        body.close()
    tube.coordinates = np.array(coordinates)
    tube.masses = np.array(masses)
    return tube
