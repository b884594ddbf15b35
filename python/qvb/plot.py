"""Pictures of mode shapes: a body's surface, deformed by one mode.

Drawing uses matplotlib's Agg canvas directly (no pyplot, no display), so it
works on machines without a screen. Images are written at exactly the pixel
size asked for, which keeps series of pictures comparable.
"""

import numpy as np
from matplotlib.backends.backend_agg import FigureCanvasAgg
from matplotlib.cm import ScalarMappable
from matplotlib.colors import Normalize
from matplotlib.figure import Figure
from matplotlib.ticker import MaxNLocator
from mpl_toolkits.mplot3d.art3d import Poly3DCollection

from .errors import QvbError

DEFAULT_SCALE = 0.1
COLOUR_MAP = "viridis"
# Modes whose frequency is below this share of the highest one are taken for
# rigid-body modes: free-free bodies report them as numerically tiny values
# rather than exact zeros.
RIGID_FREQUENCY_SHARE = 1e-6


def body_size(coordinates):
    """The diagonal of the bounding box of the nodes (1.0 for a point or nothing)."""
    if len(coordinates) == 0:
        return 1.0
    extent = np.ptp(coordinates, axis=0)
    size = float(np.linalg.norm(extent))
    return size if size > 0.0 else 1.0


def deformation_scale(coordinates, displacements, fraction=DEFAULT_SCALE):
    """The factor that makes the largest displacement `fraction` of the body size."""
    largest = float(np.max(np.linalg.norm(displacements, axis=1))) if len(displacements) else 0.0
    if largest == 0.0:
        return 0.0
    return fraction * body_size(coordinates) / largest


def flexible_modes(body):
    """The mode numbers and frequencies of the modes that deform the body."""
    table = body.eigen_table
    if len(table.mode_number) == 0:
        return []
    frequencies = np.abs(table.frequency)
    threshold = RIGID_FREQUENCY_SHARE * float(np.max(frequencies))
    return [(int(n), float(f)) for n, f in zip(table.mode_number, table.frequency)
            if abs(f) > threshold]


def _frame(axes, points):
    """Fits the axes to the points at one scale for all three directions.

    Each axis spans its own range, and the box takes the proportions of those
    ranges, so a slender beam fills the picture instead of a cube. Flat
    directions get a twentieth of the largest range, so they stay visible.
    """
    low, high = points.min(axis=0), points.max(axis=0)
    span = high - low
    largest = max(float(span.max()), 1e-12)
    span = np.maximum(span, 0.05 * largest)
    centre = (low + high) / 2.0
    margin = 1.04
    axes.set_xlim(centre[0] - margin * span[0] / 2, centre[0] + margin * span[0] / 2)
    axes.set_ylim(centre[1] - margin * span[1] / 2, centre[1] + margin * span[1] / 2)
    axes.set_zlim(centre[2] - margin * span[2] / 2, centre[2] + margin * span[2] / 2)
    axes.set_box_aspect(tuple(span / largest))


def draw_mode(axes, coordinates, faces, displacements, title, fraction=DEFAULT_SCALE,
              show_undeformed=True, norm=None):
    """Draws one deformed shape into 3D axes; returns the colour normalisation."""
    magnitude = np.linalg.norm(displacements, axis=1)
    scale = deformation_scale(coordinates, displacements, fraction)
    deformed = coordinates + scale * displacements
    if norm is None:
        norm = Normalize(vmin=0.0, vmax=float(magnitude.max()) if len(magnitude) else 1.0)
    if faces:
        if show_undeformed:
            axes.add_collection3d(Poly3DCollection(
                [coordinates[f] for f in faces], facecolors=(0, 0, 0, 0),
                edgecolors=(0.5, 0.5, 0.5, 0.35), linewidths=0.3))
        surface = Poly3DCollection([deformed[f] for f in faces], cmap=COLOUR_MAP, norm=norm,
                                   edgecolors=(0.1, 0.1, 0.1, 0.4), linewidths=0.2)
        surface.set_array(np.array([magnitude[f].mean() for f in faces]))
        axes.add_collection3d(surface)
    else:
        # A body without faces still shows its nodes.
        if show_undeformed:
            axes.scatter(*coordinates.T, s=2, c="0.7")
        axes.scatter(*deformed.T, s=6, c=magnitude, cmap=COLOUR_MAP, norm=norm)
    _frame(axes, np.vstack([coordinates, deformed]) if len(coordinates) else np.zeros((1, 3)))
    axes.set_title(title, fontsize=10)
    for axis, name in ((axes.xaxis, "x"), (axes.yaxis, "y"), (axes.zaxis, "z")):
        axis.set_major_locator(MaxNLocator(nbins=3))
        axis.set_tick_params(labelsize=7)
        axis.set_label_text(name)
    return norm


def _drawable_faces(body, node_count):
    """The faces whose vertices are all nodes of the body (the library marks a
    vertex that is not a node with -1); a face needs two vertices to show."""
    faces = [np.asarray(f, dtype=int) for f in body.faces]
    return [f for f in faces if len(f) >= 2 and f.min() >= 0 and f.max() < node_count]


def _mode_title(body, mode_number):
    eigen = body.eigen(mode_number)
    return f"Mode {mode_number}: {eigen.frequency:.4g} Hz"


def _new_figure(width, height, dpi):
    figure = Figure(figsize=(width / dpi, height / dpi), dpi=dpi)
    FigureCanvasAgg(figure)
    return figure


def _colour_bar(figure, axes, norm):
    # Mode shapes are scaled by the eigensolver's normalisation, so their
    # magnitude has no physical unit of its own.
    mappable = ScalarMappable(norm=norm, cmap=COLOUR_MAP)
    bar = figure.colorbar(mappable, ax=axes, shrink=0.6, pad=0.12)
    bar.set_label("displacement magnitude (mode shape)")


def render_mode(body, mode_number, output, fraction=DEFAULT_SCALE, width=900, height=700,
                dpi=100, show_undeformed=True, view=(25, -60)):
    """Writes a PNG of one mode's deformed shape over the undeformed surface."""
    coordinates = body.coordinates
    faces = _drawable_faces(body, len(coordinates))
    displacements = body.node_displacements(mode_number)
    figure = _new_figure(width, height, dpi)
    figure.subplots_adjust(left=0.0, right=0.9, bottom=0.04, top=0.96)
    axes = figure.add_subplot(1, 1, 1, projection="3d")
    axes.view_init(*view)
    norm = draw_mode(axes, coordinates, faces, displacements, _mode_title(body, mode_number),
                     fraction, show_undeformed)
    _colour_bar(figure, axes, norm)
    figure.text(0.01, 0.01, f"{body.name}  (largest displacement drawn at "
                f"{fraction:g} of the body size)", fontsize=8)
    figure.savefig(output, dpi=dpi, format="png")
    return output


def render_strip(body, output, count=4, fraction=DEFAULT_SCALE, panel_width=360,
                 panel_height=400, dpi=100, view=(25, -60)):
    """Writes a PNG with the first `count` flexible modes side by side."""
    modes = flexible_modes(body)[:max(int(count), 1)]
    if not modes:
        raise QvbError(f"{body.name} has no flexible modes to draw")
    coordinates = body.coordinates
    faces = _drawable_faces(body, len(coordinates))
    figure = _new_figure(panel_width * len(modes), panel_height, dpi)
    figure.subplots_adjust(left=0.0, right=1.0, bottom=0.0, top=0.8, wspace=0.0)
    for column, (number, frequency) in enumerate(modes, start=1):
        axes = figure.add_subplot(1, len(modes), column, projection="3d")
        axes.view_init(*view)
        draw_mode(axes, coordinates, faces, body.node_displacements(number),
                  f"Mode {number}\n{frequency:.4g} Hz", fraction, show_undeformed=True)
        # Small panels show the shapes only; the single-mode picture has the axes.
        axes.set_axis_off()
    figure.suptitle(f"{body.name}: first {len(modes)} flexible modes", fontsize=11)
    figure.savefig(output, dpi=dpi, format="png")
    return output
