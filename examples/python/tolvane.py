"""Surface coarsening for the flexible-body writer.

The library calls ``driver`` once, in an embedded interpreter, with the
body's surface as text lines, and expects the sketch file named by its first
argument. The sketch lists the nodes that the coarsened surface keeps and
the faces of that surface; the writer then builds the lighter body from it.

Method: vertex clustering on a regular grid. Every surface node falls into
a grid cell; each cell keeps one node (the one nearest to the cell's mean
position) and the faces are rewritten onto the kept nodes, dropping those
that collapse. Nodes that must survive (interface nodes and the node
numbers listed in the option) are never merged away: a cell holding such
nodes keeps all of them and its other nodes join the nearest one.

Grid size: a non-zero coarsening value is the cell edge length in the
body's length unit. A zero value lets the level choose how many surface
nodes to keep, roughly: light a half, standard a quarter, aggressive a
tenth; the cell size is searched to come close to that count.

The work is done on numpy arrays, so that a surface of 1e5 nodes takes
seconds. The body writer's own coarsen(...) option follows the same steps
in the same order of arithmetic and keeps the same nodes.
"""

import itertools
import math
import os

import numpy as np

__all__ = ["driver", "coarsen", "read_surface"]

# Share of the surface nodes kept when the level decides, by level code.
KEEP_FRACTION = {-1: 0.5, 0: 0.25, 1: 0.1}
SMALLER_CELL_TRIES = 30
BISECTIONS = 12

# The face lines put the first vertex id in this column, nine columns each.
_FACE_VERTEX_COLUMN = 15
_ID_WIDTH = 9

# Cells are numbered along each axis in 64-bit integers (the writer's own
# coarsening does the same); a cell size too small for that is refused.
_MAX_CELLS = 2.0 ** 62


class Surface:
    """Node ids in the body's order with their coordinates, faces (tuples of
    node ids) and interface node ids."""

    def __init__(self, ids, xyz, node_lines, faces, interface):
        self.ids = ids                # int64 array, body order
        self.xyz = xyz                # (n, 3) float array
        self.node_lines = node_lines  # the coordinates as the library wrote them
        self.faces = faces
        self.interface = interface

    def coordinate_text(self, row):
        return self.node_lines[row].split()[1:]


def _parse_node(line):
    fields = line.split()
    if len(fields) != 4:
        raise ValueError("node line without an id and three coordinates: %r" % line)
    return [float(f) for f in fields]


def _parse_nodes(node_lines):
    """(ids, coordinates); numpy reads the numbers, the same values float()
    gives, and a line that does not read is named by the slow path."""
    values = np.fromstring(" ".join(node_lines), sep=" ") if node_lines else np.zeros(0)
    if values.size != 4 * len(node_lines) or not np.all(values[0::4] == np.round(values[0::4])):
        values = np.array([_parse_node(line) for line in node_lines], dtype=float)
    values = values.reshape(-1, 4)
    return values[:, 0].astype(np.int64), values[:, 1:].copy()


def _parse_face(line):
    # Ids are written nine columns wide without separators, so ids of ten
    # digits run into each other; reading by column handles those too.
    columns = line[_FACE_VERTEX_COLUMN:]
    if columns and len(columns) % _ID_WIDTH == 0:
        try:
            return tuple(int(columns[i:i + _ID_WIDTH]) for i in range(0, len(columns), _ID_WIDTH))
        except ValueError:
            pass
    return tuple(int(f) for f in line.split()[1:])


def _parse_face_columns(lines):
    """The ids of face lines of one length, read by column as arrays; None
    when a column holds anything but blanks followed by digits."""
    length = len(lines[0])
    if length <= _FACE_VERTEX_COLUMN or (length - _FACE_VERTEX_COLUMN) % _ID_WIDTH:
        return None
    try:
        raw = np.frombuffer("".join(lines).encode("ascii"), dtype=np.uint8)
    except UnicodeEncodeError:
        return None
    columns = raw.reshape(len(lines), length)[:, _FACE_VERTEX_COLUMN:].reshape(len(lines), -1, _ID_WIDTH)
    digit = (columns >= 48) & (columns <= 57)
    blank = columns == 32
    if not np.all(digit | blank) or not np.all(digit[:, :, -1]) or np.any(np.diff(digit.astype(np.int8), axis=2) < 0):
        return None
    place = 10 ** np.arange(_ID_WIDTH - 1, -1, -1, dtype=np.int64)
    return (np.where(digit, columns.astype(np.int64) - 48, 0) * place).sum(axis=2)


def _parse_faces(face_lines):
    lines = [line for line in face_lines if not line.startswith("number of faces")]
    faces = [None] * len(lines)
    by_length = {}
    for k, line in enumerate(lines):
        by_length.setdefault(len(line), []).append(k)
    for which in by_length.values():
        ids = _parse_face_columns([lines[k] for k in which])
        if ids is None:
            for k in which:
                faces[k] = _parse_face(lines[k])
        else:
            for k, face in zip(which, map(tuple, ids.tolist())):
                faces[k] = face
    return lines, faces


def read_surface(node_lines, face_lines, interface_lines):
    """Reads the three lists of lines the library hands to ``driver``."""
    ids, xyz = _parse_nodes(node_lines)
    lines, faces = _parse_faces(face_lines)
    used = np.fromiter(itertools.chain.from_iterable(faces), dtype=np.int64)
    missing = used[~np.isin(used, ids)]
    if missing.size:
        node = int(missing[0])
        face = next(k for k, f in enumerate(faces) if node in f)
        raise ValueError("face %s uses node %d, which has no coordinates" % (lines[face].split()[0], node))
    interface = [int(line.split()[1]) for line in interface_lines]
    return Surface(ids, xyz, list(node_lines), faces, interface)


class _Grid:
    """The surface nodes (ascending ids) and their cells for one cell size."""

    def __init__(self, surface_ids, points, protected):
        self.ids = surface_ids
        self.points = points
        self.protected = protected
        self.origin = points.min(axis=0)
        self.extent = float((points.max(axis=0) - points.min(axis=0)).max())

    def cells(self, size):
        """Cell number of each node, and the number of cells."""
        steps = np.floor((self.points - self.origin) / size)
        if steps.size and not steps.max() < _MAX_CELLS:
            raise ValueError("the cell size %g is too small to number the cells of this body" % size)
        key = steps.astype(np.int64)
        span = key.max(axis=0) + 1
        if float(span[0]) * float(span[1]) * float(span[2]) < _MAX_CELLS:
            _, cell = np.unique((key[:, 0] * span[1] + key[:, 1]) * span[2] + key[:, 2], return_inverse=True)
        else:
            _, cell = np.unique(key, axis=0, return_inverse=True)
        return cell, int(cell.max()) + 1 if cell.size else 0

    def kept_count(self, size):
        cell, count = self.cells(size)
        anchored = np.bincount(cell, weights=self.protected, minlength=count) > 0
        return int(np.count_nonzero(~anchored)) + int(np.count_nonzero(self.protected))

    def representatives(self, size):
        """Index (into the surface nodes) of the node standing for each."""
        cell, count = self.cells(size)
        members = np.bincount(cell, minlength=count)
        anchored = np.bincount(cell, weights=self.protected, minlength=count) > 0
        stand = np.arange(len(self.ids))
        # Cells without protected nodes: the member nearest to the mean
        # position, the smaller id on a tie. bincount adds in node order,
        # as a running sum over the members would.
        centre = np.stack([np.bincount(cell, weights=self.points[:, r], minlength=count) for r in range(3)], axis=1)
        centre /= members[:, None]
        delta = self.points - centre[cell]
        d2 = delta[:, 0] ** 2 + delta[:, 1] ** 2 + delta[:, 2] ** 2
        order = np.lexsort((self.ids, d2, cell))
        first = np.ones(len(order), dtype=bool)
        first[1:] = cell[order][1:] != cell[order][:-1]
        nearest = np.empty(count, dtype=np.int64)
        nearest[cell[order][first]] = order[first]
        free = ~anchored[cell]
        stand[free] = nearest[cell[free]]
        # Cells with protected nodes keep all of those; the others join the
        # nearest one (the smaller id on a tie).
        for c in np.flatnonzero(anchored):
            inside = np.flatnonzero(cell == c)
            anchors = inside[self.protected[inside]]
            others = inside[~self.protected[inside]]
            if others.size:
                gap = self.points[others][:, None, :] - self.points[anchors][None, :, :]
                d = gap[:, :, 0] ** 2 + gap[:, :, 1] ** 2 + gap[:, :, 2] ** 2
                stand[others] = anchors[np.argmin(d, axis=1)]
        return stand


def _size_for_count(grid, wanted):
    """Searches the cell size whose clustering keeps about ``wanted`` nodes."""
    extent = grid.extent
    if extent <= 0.0:
        return 1.0
    best_size, best_miss = extent, None
    low, high = extent * 1e-6, extent
    for _ in range(40):
        size = math.sqrt(low * high)
        count = grid.kept_count(size)
        miss = abs(count - wanted)
        if best_miss is None or miss < best_miss:
            best_size, best_miss = size, miss
        if count > wanted:
            low = size
        elif count < wanted:
            high = size
        else:
            break
    return best_size


def _collapse(faces, surface_ids, kept_of):
    """The faces on the kept nodes, in order, without those that no longer
    span an area or repeat an earlier face (in any order of nodes)."""
    result = [None] * len(faces)
    keys, places = [], []
    by_length = {}
    for k, face in enumerate(faces):
        by_length.setdefault(len(face), []).append(k)
    width = max(by_length) if by_length else 0
    for length, which in by_length.items():
        if length < 3:
            continue
        ids = np.array([faces[k] for k in which], dtype=np.int64)
        mapped = kept_of[np.searchsorted(surface_ids, ids)]
        repeat = np.zeros(mapped.shape, dtype=bool)
        for j in range(1, length):
            repeat[:, j] = np.any(mapped[:, j:j + 1] == mapped[:, :j], axis=1)
        spans = (length - repeat.sum(axis=1)) >= 3
        key = np.where(repeat, -1, mapped)
        key.sort(axis=1)
        key = np.pad(key, ((0, 0), (width - length, 0)), constant_values=-1)
        for row in np.flatnonzero(spans):
            result[which[row]] = tuple(int(n) for n in mapped[row][~repeat[row]])
        keys.append(key[spans])
        places.append(np.array(which, dtype=np.int64)[spans])
    if not keys:
        return []
    keys, places = np.concatenate(keys), np.concatenate(places)
    order = np.argsort(places, kind="stable")
    _, first = np.unique(keys[order], axis=0, return_index=True)
    return [result[k] for k in np.sort(places[order][first])]


def coarsen(surface, level, cell_size, keep_ids):
    """Coarsens the surface. Returns (kept node ids, faces on them)."""
    protected = np.array(sorted(set(surface.interface) | set(keep_ids)), dtype=np.int64)
    surface_ids = np.unique(np.fromiter(itertools.chain.from_iterable(surface.faces), dtype=np.int64))
    faces = []
    if surface_ids.size:
        order = np.argsort(surface.ids, kind="stable")
        rows = order[np.searchsorted(surface.ids[order], surface_ids)]
        grid = _Grid(surface_ids, surface.xyz[rows], np.isin(surface_ids, protected))
        automatic = cell_size <= 0.0
        if automatic:
            wanted = max(1, int(round(KEEP_FRACTION[level] * len(surface_ids))))
            cell_size = _size_for_count(grid, wanted)
        spans_area = any(len(face) >= 3 for face in surface.faces)

        def faces_for(size):
            return _collapse(surface.faces, surface_ids, surface_ids[grid.representatives(size)])

        faces = faces_for(cell_size)
        if not faces and spans_area and automatic:
            # Cells that merge every face leave no surface: halve them until
            # faces survive, then bisect back towards the largest such cells
            # (as the library's own coarsening does).
            bad = good = cell_size
            for _ in range(SMALLER_CELL_TRIES):
                good /= 2.0
                faces = faces_for(good)
                if faces:
                    break
            for _ in range(BISECTIONS if faces else 0):
                size = math.sqrt(good * bad)
                trial = faces_for(size)
                if trial:
                    good, faces = size, trial
                else:
                    bad = size
            cell_size = good
        if not faces and spans_area:
            raise ValueError("cells of size %f merge every face of the surface; "
                             "ask a lighter level or smaller cells" % cell_size)
    on_faces = np.fromiter(itertools.chain.from_iterable(faces), dtype=np.int64)
    keep = np.isin(surface.ids, on_faces) | np.isin(surface.ids, protected)
    return [int(n) for n in surface.ids[keep]], faces


def write_sketch(path, surface, kept, faces, header):
    """Writes the sketch; a failed write leaves no partial file behind."""
    row = {int(n): k for k, n in enumerate(surface.ids)}
    lines = ["# %s" % line for line in header]
    lines.append("NODES %d" % len(kept))
    lines.extend("%d %s" % (n, " ".join(surface.coordinate_text(row[n]))) for n in kept)
    lines.append("FACES %d" % len(faces))
    lines.extend("%d %d %s" % (k, len(f), " ".join(str(n) for n in f)) for k, f in enumerate(faces, 1))
    lines.append("END")
    partial = path + ".partial"
    try:
        with open(partial, "w", encoding="utf-8") as out:
            out.write("\n".join(lines) + "\n")
        os.replace(partial, path)
    except OSError as error:
        # A full disk: no piece of the sketch stays, and the message names it.
        if os.path.exists(partial):
            os.remove(partial)
        raise OSError(error.errno, "%s cannot be written: %s" % (path, error.strerror)) from None


def driver(sketch_name, body_file, level, value_given, value_text, node_numbers,
           node_lines, face_lines, interface_lines):
    """Entry point called by the library; see the module documentation."""
    if level not in KEEP_FRACTION:
        raise ValueError("unknown coarsening level %r" % (level,))
    value = float(value_text)
    if math.isnan(value) or math.isinf(value) or value < 0.0:
        raise ValueError("the coarsening value must be a length of 0 or more, not %s" % value_text)
    surface = read_surface(node_lines, face_lines, interface_lines)
    known = set(int(n) for n in surface.ids)
    missing = [n for n in node_numbers if n not in known]
    if missing:
        raise ValueError("node %d of the adv_coarsen option is not in the body" % missing[0])

    kept, faces = coarsen(surface, level, value if value_given else 0.0, node_numbers)
    header = ["sketch of %s" % body_file,
              "level %d value %s" % (level, value_text),
              "from %d nodes and %d faces" % (len(surface.ids), len(surface.faces))]
    write_sketch(sketch_name, surface, kept, faces, header)
    return {"nodes": len(kept), "faces": len(faces)}
