"""qvb-plot: pictures of a flexible body's mode shapes.

    qvb-plot beam.qvb                      strip of the first 4 flexible modes
    qvb-plot beam.qvb --mode 7 -o m7.png   one mode, deformed over the surface
    qvb-plot beam.qvb --list               the modes and their frequencies
    qvb-plot beam.qvb --vtu beam           beam.vtu and beam.pvd for ParaView

Exit status: 0 done, 1 the body could not be read or the image not written,
2 a usage error.
"""

import argparse
import logging
import os
import sys
import warnings
from pathlib import Path


def _size(text: str) -> tuple:
    try:
        width, height = (int(v) for v in text.lower().split("x"))
    except ValueError:
        raise argparse.ArgumentTypeError(f"{text!r} is not WIDTHxHEIGHT") from None
    if width < 50 or height < 50:
        raise argparse.ArgumentTypeError("images are at least 50x50 pixels")
    return width, height


def _fraction(text: str) -> float:
    try:
        value = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"{text!r} is not a number") from None
    if not value > 0.0:
        raise argparse.ArgumentTypeError("the scale is a positive fraction of the body size")
    return value


def _version() -> str:
    from qvb._version import __version__
    return f"qvb-plot {__version__}"


USAGE_LINE = "usage: qvb-plot [-m N | -s COUNT | -l | --vtu OUT] [-o FILE] [options] BODY"


class _Parser(argparse.ArgumentParser):
    """A usage error as every command reports it: the problem, the one usage
    line and where to find more, then status 2."""

    def error(self, message):
        self.exit(2, f"qvb-plot: {message}\n{USAGE_LINE}\n"
                     f"Try 'qvb-plot --help' for more information.\n")


def parser() -> argparse.ArgumentParser:
    """The command line of qvb-plot."""
    p = _Parser(
        prog="qvb-plot",
        formatter_class=argparse.RawDescriptionHelpFormatter,
        description="Draw the mode shapes of a flexible body into an image (PNG, or the "
                    "format of the output's extension: .svg, .pdf, ...).",
        epilog="The deformation is scaled so that the largest displacement is SCALE times\n"
               "the diagonal of the body's bounding box; colours show the displacement\n"
               "magnitude. Rigid-body modes (frequency near zero) are left out of the strip.\n\n"
               "Exit status: 0 done, 1 the body could not be read or the image not written,\n"
               "2 a usage error.")
    p.add_argument("--version", action="version", version=_version())
    p.add_argument("body", help='body to draw: "beam.qvb", "part.qvb::2" or "db.master::wing"')
    what = p.add_mutually_exclusive_group()
    what.add_argument("-m", "--mode", type=int, metavar="N",
                      help="draw mode number N alone")
    what.add_argument("-s", "--strip", type=int, metavar="COUNT", default=4,
                      help="draw the first COUNT flexible modes side by side (default 4)")
    what.add_argument("-l", "--list", action="store_true",
                      help="print the mode numbers and frequencies instead of drawing")
    what.add_argument("--vtu", metavar="OUT",
                      help="write OUT.vtu (the skin with every mode, for ParaView), OUT.pvd and "
                           "OUT_modes/ instead of drawing; needs python3-meshio")
    p.add_argument("-o", "--output", metavar="FILE",
                   help="image to write; its extension chooses the format (default: the "
                        "body file's name with .png, or _modeN.png for one mode)")
    p.add_argument("--scale", type=_fraction, default=0.1, metavar="SCALE",
                   help="largest displacement as a fraction of the body size (default 0.1)")
    p.add_argument("--size", type=_size, metavar="WxH",
                   help="image size in pixels (default 900x700 for one mode, "
                        "360x400 per mode for a strip)")
    p.add_argument("--view", type=float, nargs=2, default=(25.0, -60.0),
                   metavar=("ELEVATION", "AZIMUTH"), help="viewing angles in degrees")
    p.add_argument("--no-undeformed", action="store_true",
                   help="do not draw the undeformed surface under a single mode")
    return p


def _default_output(body_spec: str, mode: int) -> str:
    """beam.qvb -> beam.png; fleet.master::wing -> fleet_wing.png (in this folder)."""
    file_name, _, selector = body_spec.partition("::")
    stem = Path(file_name).stem + (f"_{selector}" if selector else "")
    return f"{stem}_mode{mode}.png" if mode is not None else f"{stem}.png"


def _show_warning(message, category, filename, lineno, file=None, line=None):
    print(f"qvb-plot: warning: {message}", file=sys.stderr)


def main(argv: list = None) -> int:
    """Runs qvb-plot; returns the exit status."""
    try:
        return _run(argv)
    except BrokenPipeError:
        # "qvb-plot --list | head": the reader has all it wants. Python would
        # complain again when it flushes stdout at exit, so stdout goes nowhere.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        return 0


def _run(argv: list = None) -> int:
    options = parser().parse_args(argv)
    logging.basicConfig(level=logging.WARNING, format="qvb-plot: %(message)s")
    # The library's errors reach the user once, in the exception printed below.
    logging.getLogger("qvb").addFilter(lambda record: record.levelno < logging.ERROR)
    warnings.showwarning = _show_warning

    # Imported here so that --help works even where the library is missing.
    import qvb

    try:
        with qvb.open(options.body) as body:
            if options.list:
                print(f"{'mode':>6} {'frequency [Hz]':>16}")
                for number, frequency in zip(body.mode_numbers, body.frequencies):
                    print(f"{number:6d} {frequency:16.6g}")
                return 0
            if options.vtu:
                from qvb.paraview import write_vtu
                print(write_vtu(body, options.vtu)[0])
                return 0
            from qvb import plot
            output = options.output or _default_output(options.body, options.mode)
            if options.mode is not None:
                width, height = options.size or (900, 700)
                plot.render_mode(body, options.mode, output, options.scale, width, height,
                                 show_undeformed=not options.no_undeformed,
                                 view=tuple(options.view))
            else:
                count = max(options.strip, 1)
                width, height = options.size or (360 * count, 400)
                plot.render_strip(body, output, count, options.scale,
                                  panel_width=max(width // count, 1), panel_height=height,
                                  view=tuple(options.view))
            print(output)
            return 0
    except qvb.QvbError as error:
        print(f"qvb-plot: {error}", file=sys.stderr)
        return 1
    except BrokenPipeError:
        raise
    except OSError as error:  # the image cannot be written where asked
        where = f" {error.filename}" if error.filename else ""
        print(f"qvb-plot: cannot write{where}: {error.strerror or error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
