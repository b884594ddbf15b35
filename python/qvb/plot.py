"""Pictures of mode shapes: a body's surface, deformed by one mode.

``draw_body_mode(axes, body, 7)`` draws into 3D axes of the caller's own
figure (``fig.add_subplot(projection="3d")``), for notebooks and composite
figures. ``render_mode`` and ``render_strip`` write image files on their own
figure, using matplotlib's Agg canvas directly (no pyplot, no display), so
they work on machines without a screen; the format follows the file's
extension (.png, .svg, .pdf, ...; PNG without one). Images are written at
exactly the pixel size asked for, which keeps series of pictures comparable.
"""

import os
from typing import IO, Any, List, Optional, Sequence, Tuple, Union

import numpy as np
from matplotlib.backend_bases import FigureCanvasBase
from matplotlib.backends.backend_agg import FigureCanvasAgg
from matplotlib.cm import ScalarMappable
from matplotlib.colors import Normalize
from matplotlib.figure import Figure
from matplotlib.ticker import MaxNLocator
from mpl_toolkits.mplot3d.art3d import Poly3DCollection

from .errors import QvbError, QvbValueError

__all__ = ["body_size", "deformation_scale", "draw_body_mode", "draw_mode", "flexible_modes",
           "render_mode", "render_strip"]

#: Where an image goes: a file name, or a binary file object (written as PNG).
Output = Union[str, "os.PathLike[str]", IO[bytes]]

DEFAULT_SCALE = 0.1
COLOUR_MAP = "viridis"
# Modes whose frequency is below this share of the highest one are taken for
# rigid-body modes: free-free bodies report them as numerically tiny values
# rather than exact zeros.
RIGID_FREQUENCY_SHARE = 1e-6


def body_size(coordinates: np.ndarray) -> float:
    """The diagonal of the bounding box of the nodes (1.0 for a point or nothing)."""
    if len(coordinates) == 0:
        return 1.0
    extent = np.ptp(coordinates, axis=0)
    size = float(np.linalg.norm(extent))
    return size if size > 0.0 else 1.0


def deformation_scale(coordinates: np.ndarray, displacements: np.ndarray,
                      fraction: float = DEFAULT_SCALE) -> float:
    """The factor that makes the largest displacement `fraction` of the body size."""
    largest = float(np.max(np.linalg.norm(displacements, axis=1))) if len(displacements) else 0.0
    if largest == 0.0:
        return 0.0
    return fraction * body_size(coordinates) / largest


def flexible_modes(body: Any) -> List[Tuple[int, float]]:
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


def draw_mode(axes: Any, coordinates: np.ndarray, faces: Sequence[np.ndarray],
              displacements: np.ndarray, title: str, fraction: float = DEFAULT_SCALE,
              show_undeformed: bool = True, norm: Optional[Normalize] = None) -> Normalize:
    """Draws one deformed shape into 3D axes; returns the colour normalisation.

    faces hold positions in ``coordinates`` (``Body.face_node_indices()``).
    """
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
    faces = [np.asarray(f, dtype=int) for f in body.face_node_indices()]
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
    _clear_of_tick_labels(figure, axes, bar)
    return bar


def _clear_of_tick_labels(figure, axes, bar, margin=0.005):
    """Keeps the 3D axes' tick labels off the colour bar.

    A 3D axes draws its tick labels outside its own box, where colorbar(ax=)
    puts the bar, so with several modes in one figure they overlapped. The
    axes moves left into the space its box leaves free there, then the 3D box
    is zoomed out in steps until everything it draws ends left of the bar.
    """
    if type(figure.canvas) is FigureCanvasBase:  # a bare Figure(): Agg measures the text
        FigureCanvasAgg(figure)
    if not hasattr(figure.canvas, "get_renderer"):  # a canvas that cannot measure: leave it
        return
    to_figure = figure.transFigure.inverted()
    aspect, zoom = axes.get_box_aspect(), 1.0
    for _ in range(10):
        figure.canvas.draw()
        renderer = figure.canvas.get_renderer()
        # What each axis drew (line, tick labels, name), as the axis itself says.
        boxes = [box.transformed(to_figure) for box in
                 (axis.get_tightbbox(renderer) for axis in (axes.xaxis, axes.yaxis, axes.zaxis))
                 if box is not None]
        gap = max(b.x1 for b in boxes) + margin - bar.ax.get_tightbbox(renderer).transformed(to_figure).x0
        if gap <= 0:
            return
        # Free space left of the drawing: up to the next axes on the left, or the edge.
        left_limit = max([a.get_position().x1 for a in figure.axes
                          if a is not axes and a is not bar.ax and a.get_position().x1 <= axes.get_position().x0]
                         + [0.0])
        room = max(0.0, min(b.x0 for b in boxes) - margin - left_limit)
        if room > margin:
            position = axes.get_position()
            axes.set_position([position.x0 - min(gap, room), position.y0, position.width, position.height])
        else:
            zoom *= 0.9
            axes.set_box_aspect(aspect, zoom=zoom)


def _image_format(figure: Figure, output: Output) -> str:
    """The image format for an output: its extension, PNG without one or for
    a file object; an extension matplotlib cannot write is refused."""
    if not isinstance(output, (str, os.PathLike)):
        return "png"
    extension = os.path.splitext(os.fspath(output))[1].lower().lstrip(".")
    if not extension:
        return "png"
    supported = figure.canvas.get_supported_filetypes()
    if extension not in supported:
        raise QvbValueError(f"cannot write a .{extension} image; the formats are "
                            + ", ".join(sorted(supported)))
    return extension


def _save(figure: Figure, output: Output, dpi: int) -> None:
    figure.savefig(output, dpi=dpi, format=_image_format(figure, output))


def draw_body_mode(axes: Any, body: Any, mode_number: int, fraction: float = DEFAULT_SCALE,
                   show_undeformed: bool = True, colour_bar: bool = True) -> Normalize:
    """Draws one mode of a body into the caller's 3D axes.

    Example::

        fig = matplotlib.pyplot.figure()
        ax = fig.add_subplot(projection="3d")
        qvb.plot.draw_body_mode(ax, body, 7)

    Adds a colour bar to the axes' figure unless colour_bar is False; returns
    the colour normalisation (displacement magnitude).
    """
    coordinates = body.coordinates
    faces = _drawable_faces(body, len(coordinates))
    norm = draw_mode(axes, coordinates, faces, body.node_displacements(mode_number),
                     _mode_title(body, mode_number), fraction, show_undeformed)
    if colour_bar:
        _colour_bar(axes.figure, axes, norm)
    return norm


def render_mode(body: Any, mode_number: int, output: Output, fraction: float = DEFAULT_SCALE,
                width: int = 900, height: int = 700, dpi: int = 100,
                show_undeformed: bool = True, view: Tuple[float, float] = (25, -60)) -> Output:
    """Writes an image of one mode's deformed shape over the undeformed surface."""
    figure = _new_figure(width, height, dpi)
    figure.subplots_adjust(left=0.0, right=0.9, bottom=0.04, top=0.96)
    axes = figure.add_subplot(1, 1, 1, projection="3d")
    axes.view_init(*view)
    draw_body_mode(axes, body, mode_number, fraction, show_undeformed)
    figure.text(0.01, 0.01, f"{body.name}  (largest displacement drawn at "
                f"{fraction:g} of the body size)", fontsize=8)
    _save(figure, output, dpi)
    return output


def render_strip(body: Any, output: Output, count: int = 4, fraction: float = DEFAULT_SCALE,
                 panel_width: int = 360, panel_height: int = 400, dpi: int = 100,
                 view: Tuple[float, float] = (25, -60)) -> Output:
    """Writes an image with the first `count` flexible modes side by side."""
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
    _save(figure, output, dpi)
    return output
