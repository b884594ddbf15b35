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

Only the standard library is used, so any interpreter the library loads
can run this script.
"""

import math
import os

__all__ = ["driver", "coarsen", "read_surface"]

# Share of the surface nodes kept when the level decides, by level code.
KEEP_FRACTION = {-1: 0.5, 0: 0.25, 1: 0.1}

# The face lines put the first vertex id in this column, nine columns each.
_FACE_VERTEX_COLUMN = 15
_ID_WIDTH = 9


class Surface:
    """Nodes (id -> coordinate texts and values), faces (tuples of node ids)
    and interface node ids, in the order the body gave them."""

    def __init__(self):
        self.coordinate_text = {}
        self.position = {}
        self.faces = []
        self.interface = []


def _parse_node(line):
    fields = line.split()
    if len(fields) != 4:
        raise ValueError("node line without an id and three coordinates: %r" % line)
    node_id = int(fields[0])
    return node_id, fields[1:], tuple(float(f) for f in fields[1:])


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


def read_surface(node_lines, face_lines, interface_lines):
    """Reads the three lists of lines the library hands to ``driver``."""
    surface = Surface()
    for line in node_lines:
        node_id, texts, values = _parse_node(line)
        surface.coordinate_text[node_id] = texts
        surface.position[node_id] = values
    for line in face_lines:
        if line.startswith("number of faces"):
            continue
        face = _parse_face(line)
        for node_id in face:
            if node_id not in surface.position:
                raise ValueError("face %s uses node %d, which has no coordinates" % (line.split()[0], node_id))
        surface.faces.append(face)
    surface.interface = [int(line.split()[1]) for line in interface_lines]
    return surface


def _cell_of(point, origin, size):
    return tuple(int(math.floor((p - o) / size)) for p, o in zip(point, origin))


def _distance2(a, b):
    return sum((x - y) ** 2 for x, y in zip(a, b))


def _cluster(surface, surface_ids, protected, size, origin):
    """Maps each surface node to the node that stands for it."""
    cells = {}
    for node_id in surface_ids:
        cells.setdefault(_cell_of(surface.position[node_id], origin, size), []).append(node_id)
    representative = {}
    for members in cells.values():
        anchors = [m for m in members if m in protected]
        if not anchors:
            centre = [sum(c) / len(members) for c in zip(*(surface.position[m] for m in members))]
            anchors = [min(members, key=lambda m: (_distance2(surface.position[m], centre), m))]
        for m in members:
            if m in protected:
                representative[m] = m
                continue
            representative[m] = min(anchors, key=lambda a: (_distance2(surface.position[a], surface.position[m]), a))
    return representative


def _collapse(face, representative):
    """The face on the kept nodes, or None when it no longer spans an area."""
    mapped = []
    for node_id in face:
        kept = representative.get(node_id, node_id)
        if kept not in mapped:
            mapped.append(kept)
    return tuple(mapped) if len(mapped) >= 3 else None


def _size_for_count(surface, surface_ids, protected, origin, extent, wanted):
    """Searches the cell size whose clustering keeps about ``wanted`` nodes."""
    if extent <= 0.0:
        return 1.0
    best_size, best_miss = extent, None
    low, high = extent * 1e-6, extent
    for _ in range(40):
        size = math.sqrt(low * high)
        count = len(set(_cluster(surface, surface_ids, protected, size, origin).values()))
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


def coarsen(surface, level, cell_size, keep_ids):
    """Coarsens the surface. Returns (kept node ids, faces on them)."""
    protected = set(surface.interface) | set(keep_ids)
    surface_ids = sorted({n for face in surface.faces for n in face})
    if surface_ids:
        points = [surface.position[n] for n in surface_ids]
        origin = tuple(min(c) for c in zip(*points))
        extent = max(max(c) - min(c) for c in zip(*points))
        if cell_size <= 0.0:
            wanted = max(1, int(round(KEEP_FRACTION[level] * len(surface_ids))))
            cell_size = _size_for_count(surface, surface_ids, protected, origin, extent, wanted)
        representative = _cluster(surface, surface_ids, protected, cell_size, origin)
    else:
        representative = {}

    faces, seen = [], set()
    for face in surface.faces:
        collapsed = _collapse(face, representative)
        if collapsed is None or frozenset(collapsed) in seen:
            continue
        seen.add(frozenset(collapsed))
        faces.append(collapsed)

    used = {n for face in faces for n in face} | protected
    kept = [n for n in surface.position if n in used]
    return kept, faces


def write_sketch(path, surface, kept, faces, header):
    """Writes the sketch; a failed write leaves no partial file behind."""
    partial = path + ".partial"
    with open(partial, "w", encoding="utf-8") as out:
        for line in header:
            out.write("# %s\n" % line)
        out.write("NODES %d\n" % len(kept))
        for node_id in kept:
            out.write("%d %s\n" % (node_id, " ".join(surface.coordinate_text[node_id])))
        out.write("FACES %d\n" % len(faces))
        for number, face in enumerate(faces, 1):
            out.write("%d %d %s\n" % (number, len(face), " ".join(str(n) for n in face)))
        out.write("END\n")
    os.replace(partial, path)


def driver(sketch_name, body_file, level, value_given, value_text, node_numbers,
           node_lines, face_lines, interface_lines):
    """Entry point called by the library; see the module documentation."""
    if level not in KEEP_FRACTION:
        raise ValueError("unknown coarsening level %r" % (level,))
    value = float(value_text)
    if math.isnan(value) or math.isinf(value) or value < 0.0:
        raise ValueError("the coarsening value must be a length of 0 or more, not %s" % value_text)
    surface = read_surface(node_lines, face_lines, interface_lines)
    missing = [n for n in node_numbers if n not in surface.position]
    if missing:
        raise ValueError("node %d of the adv_coarsen option is not in the body" % missing[0])

    kept, faces = coarsen(surface, level, value if value_given else 0.0, node_numbers)
    header = ["sketch of %s" % body_file,
              "level %d value %s" % (level, value_text),
              "from %d nodes and %d faces" % (len(surface.position), len(surface.faces))]
    write_sketch(sketch_name, surface, kept, faces, header)
    return {"nodes": len(kept), "faces": len(faces)}
