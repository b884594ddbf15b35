"""Checks the coarsening script on a tube surface made here, fed with lines in
the exact format the library writes. Runs under pytest or as a plain script."""

import math
import os
import resource
import signal
import sys
import tempfile
import unittest

sys.path.insert(0, os.environ.get("QVB_TOLVANE_DIR",
                                  os.path.join(os.path.dirname(__file__), "..", "..", "examples", "python")))
import tolvane  # noqa: E402


def tube(rings=21, around=24, radius=1.0, length=10.0):
    """Quad surface of an open tube; node ids start at 1001."""
    nodes, faces = [], []
    ident = lambda r, a: 1001 + r * around + a % around  # noqa: E731
    for r in range(rings):
        for a in range(around):
            angle = 2.0 * math.pi * a / around
            nodes.append((ident(r, a), (radius * math.cos(angle), radius * math.sin(angle), length * r / (rings - 1))))
    for r in range(rings - 1):
        for a in range(around):
            faces.append((ident(r, a), ident(r, a + 1), ident(r + 1, a + 1), ident(r + 1, a)))
    return nodes, faces


def library_lines(nodes, faces, interface):
    node_lines = ["%9d %20.10e%20.10e%20.10e" % (i, x, y, z) for i, (x, y, z) in nodes]
    face_lines = ["number of faces %d" % len(faces)]
    face_lines += ["%9d      " % k + "".join("%9d" % n for n in f) for k, f in enumerate(faces, 1)]
    interface_lines = ["%4d %9d" % (j, n) for j, n in enumerate(interface, 1)]
    return node_lines, face_lines, interface_lines


def read_sketch(path):
    with open(path, encoding="utf-8") as text:
        lines = [line.rstrip("\n") for line in text if not line.startswith("#")]
    node_count = int(lines[0].split()[1])
    nodes = {int(l.split()[0]): l.split()[1:] for l in lines[1:1 + node_count]}
    face_header = lines[1 + node_count].split()
    faces = []
    for line in lines[2 + node_count:2 + node_count + int(face_header[1])]:
        fields = [int(f) for f in line.split()]
        assert fields[1] == len(fields) - 2, line
        faces.append((fields[0], tuple(fields[2:])))
    assert lines[-1] == "END"
    return nodes, faces


class CoarseningScript(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.nodes, self.faces = tube()
        # Both tube ends are interfaces; two more nodes are asked for.
        self.interface = [n for n, _ in self.nodes[:24]] + [n for n, _ in self.nodes[-24:]]
        self.listed = [1001 + 10 * 24 + 5, 1001 + 7 * 24 + 13]

    def tearDown(self):
        self.folder.cleanup()

    def run_driver(self, level=0, value="0.000000", listed=None, interface=None):
        sketch = os.path.join(self.folder.name, "tube.ske")
        lines = library_lines(self.nodes, self.faces, self.interface if interface is None else interface)
        tolvane.driver(sketch, "tube.qvb", level, int(float(value) != 0.0), value,
                       self.listed if listed is None else listed, *lines)
        return read_sketch(sketch)

    def test_levels_keep_roughly_their_share_and_every_required_node(self):
        node_text = {i: l.split()[1:] for i, l in zip((n for n, _ in self.nodes), library_lines(self.nodes, [], [])[0])}
        counts = {}
        for level in (-1, 0, 1):
            kept, faces = self.run_driver(level=level)
            counts[level] = len(kept)
            for node in self.interface + self.listed:
                self.assertIn(node, kept)
            for number, (face_number, face) in enumerate(faces, 1):
                self.assertEqual(face_number, number)
                self.assertGreaterEqual(len(set(face)), 3)
                self.assertTrue(set(face) <= set(kept))
            self.assertEqual(len({frozenset(f) for _, f in faces}), len(faces))
            # Kept nodes carry their coordinates exactly as the body gave them.
            for node, coordinates in kept.items():
                self.assertEqual(coordinates, node_text[node])
        total = len(self.nodes)
        self.assertGreater(counts[-1], counts[0])
        self.assertGreater(counts[0], counts[1])
        # The ends alone are 48 required nodes; the level share is on top of
        # what clustering can reach, so allow a generous band.
        self.assertLess(counts[-1], 0.75 * total)
        self.assertLess(counts[1], 0.4 * total)

    def test_a_slender_tube_keeps_faces_at_every_level(self):
        # Like the example beam: the aggressive share of nodes would merge
        # every face; the cells shrink until faces survive.
        self.nodes, self.faces = tube(rings=41, around=8, radius=0.02, length=1.0)
        for level in (-1, 0, 1):
            kept, faces = self.run_driver(level=level, interface=[], listed=[])
            self.assertTrue(faces and kept, level)
            self.assertLess(len(kept), len(self.nodes))

    def test_value_sets_the_cell_size(self):
        fine, _ = self.run_driver(value="0.300000", interface=[], listed=[])
        coarse, coarse_faces = self.run_driver(value="2.000000", interface=[], listed=[])
        self.assertGreater(len(fine), len(coarse))
        self.assertTrue(coarse_faces)
        # A cell far larger than the tube would collapse every face: refused.
        with self.assertRaisesRegex(ValueError, "merge every face"):
            self.run_driver(value="100.000000", interface=[], listed=[])

    def test_required_nodes_at_one_place_all_survive(self):
        # Two interface nodes on top of each other must not merge.
        twin = 9999
        self.nodes.append((twin, self.nodes[0][1]))
        self.faces.append((twin, self.nodes[1][0], self.nodes[25][0]))
        kept, _ = self.run_driver(level=1, interface=[self.nodes[0][0], twin], listed=[])
        self.assertIn(twin, kept)
        self.assertIn(self.nodes[0][0], kept)

    def test_bad_requests_raise_and_write_nothing(self):
        sketch = os.path.join(self.folder.name, "tube.ske")
        for value, listed in (("-1.000000", []), ("nan", []), ("0.000000", [42])):
            with self.assertRaises(ValueError):
                self.run_driver(value=value, listed=listed)
            self.assertFalse(os.path.exists(sketch))
        # A full disk (a file size limit, with its signal ignored): the error
        # names the sketch and the cause, and no piece of it is left.
        limit = resource.getrlimit(resource.RLIMIT_FSIZE)
        previous = signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (1000, limit[1]))
        try:
            with self.assertRaisesRegex(OSError, "tube.ske cannot be written: File too large"):
                self.run_driver()
        finally:
            resource.setrlimit(resource.RLIMIT_FSIZE, limit)
            signal.signal(signal.SIGXFSZ, previous)
        self.assertEqual(os.listdir(self.folder.name), [])

    def test_nine_digit_face_ids_that_touch_are_read_by_column(self):
        ids = (123456789, 987654321, 1)
        nodes = ["%9d %20.10e%20.10e%20.10e" % (n, 0.0, 0.0, 0.0) for n in ids]
        line = "%9d      " % 1 + "".join("%9d" % n for n in ids)
        surface = tolvane.read_surface(nodes, ["number of faces 1", line], [])
        self.assertEqual(surface.faces, [ids])
        # Ten digits overflow the column and cannot be told apart; that is
        # an error, never a silently wrong face.
        with self.assertRaises(ValueError):
            tolvane.read_surface(nodes, ["number of faces 1", line + "%9d" % 1234567890], [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
