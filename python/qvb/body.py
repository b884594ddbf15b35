"""A flexible body opened or created through the library, with numpy views.

Nodes are named by their IDs everywhere a caller names one (``set_node``,
``add_face``, ``node_index``, ``faces``, ``mode_node_ids``); arrays with one
row per node (``coordinates``, ``nodal_masses``, ``node_displacements``)
follow the order of ``node_ids``. Modes are named by their mode numbers.
"""

import ctypes
import enum
import operator
import os
from typing import Any, Callable, List, NamedTuple, Optional, Sequence, Union

import numpy as np

from ._messages import capture
from ._native import P_DOUBLE, P_INT, library
from .errors import BodyIsAFolderError, BodyNotFoundError, QvbError, QvbTypeError, QvbValueError

class ResultKind(enum.IntEnum):
    """What the mode operations return: shapes, modal stresses or strains."""
    SHAPE = 0
    STRESS = 1
    STRAIN = 2


class ResultPart(enum.IntEnum):
    """Which three of a mode result's six values: translations (normal
    components) or rotations (shear components)."""
    TRANSLATION = 0
    ROTATION = 1


SHAPE, STRESS, STRAIN = ResultKind.SHAPE, ResultKind.STRESS, ResultKind.STRAIN
TRANSLATION, ROTATION = ResultPart.TRANSLATION, ResultPart.ROTATION

#: A file name, as text, bytes or a path object.
PathLike = Union[str, bytes, "os.PathLike[str]"]


class Units(NamedTuple):
    """Unit names (or sizes in SI), in the library's order."""
    mass: Any
    length: Any
    time: Any
    force: Any


class Eigen(NamedTuple):
    """The eigen quantities of one mode (or, from ``eigen_table``, of all)."""
    mode_number: Any
    eigenvalue: Any
    frequency: Any
    radians: Any
    generalized_mass: Any
    generalized_stiffness: Any


class MassProperties(NamedTuple):
    """Total mass, 3 x 3 inertia tensor about the centre of mass, centre of mass."""
    mass: float
    inertia: np.ndarray
    centre: np.ndarray


class Header(NamedTuple):
    """The texts of a body's header."""
    title: str
    text2: str
    text3: str
    file_type: str
    comment1: str
    comment2: str
    comment3: str

# Buffer sizes, NUL included, that the backends fill for the text queries.
_UNIT_BUFFER = 64
_HEADER_BUFFERS = (128, 64, 128, 16, 80, 80, 80)


def _text(value: Any) -> bytes:
    """A C string argument from text, a path or bytes."""
    if isinstance(value, (bytes, str, os.PathLike)):
        return os.fsencode(value)
    return str(value).encode()


def _integer(value: Any, what: str) -> int:
    """An integer argument; a float (7.5, or even 7.0) or a bool is refused, not truncated."""
    if isinstance(value, bool):
        raise QvbTypeError(f"{what} must be an integer, not {value!r}")
    try:
        return operator.index(value)
    except TypeError:
        raise QvbTypeError(f"{what} must be an integer, not {type(value).__name__} "
                           f"{value!r}") from None


def _member(value: Any, kind: "type[enum.IntEnum]", what: str) -> enum.IntEnum:
    """A member of `kind` from itself or its plain integer value.

    The two enumerations share values (ROTATION == STRESS == 1), so a member
    of another enumeration is refused, not read by its value.
    """
    if isinstance(value, enum.Enum) and not isinstance(value, kind):
        raise QvbTypeError(f"{what} is a {kind.__name__} ({', '.join(m.name for m in kind)}), "
                           f"not {type(value).__name__}.{value.name}")
    number = _integer(value, what)
    try:
        return kind(number)
    except ValueError:
        raise QvbValueError(f"{what} must be one of {', '.join(f'{m.name} ({m.value})' for m in kind)}, "
                            f"not {number}") from None


#: The unit names the library takes, by quantity (any letter case), shortest
#: spellings first; each stands for one canonical name (``qvb.canonical_unit``).
UNIT_NAMES = Units(
    mass=("kg", "mg", "ug", "ng", "mgg", "tonne", "lbm", "klbm", "ozm", "slug", "slinch", "uston",
          "kilogram", "gram", "milligram", "microgram", "nanogram", "megagram", "pound_mass",
          "kpound_mass", "ounce_mass", "dozen_slug", "us_ton"),
    length=("m", "km", "cm", "mm", "um", "nm", "ang", "mi", "yd", "ft", "in", "mil", "uin",
            "meter", "kilometer", "centimeter", "millimeter", "micrometer", "micron", "nanometer",
            "angstrom", "mile", "yard", "foot", "inch", "milli_inch", "uinch", "microinch",
            "micro_inch"),
    time=("s", "ms", "us", "ns", "min", "h", "hr", "d", "sec", "millisec", "microsec", "nanosec",
          "second", "millisecond", "microsecond", "nanosecond", "minute", "hour", "day"),
    force=("n", "kn", "mn", "un", "nn", "dyne", "lbf", "klbf", "kip", "kgf", "ozf", "newton",
           "knewton", "millinewton", "micronewton", "nanonewton", "pound_force", "kpound_force",
           "kilogram_force", "kg_force", "ounce_force"),
)


def _check_unit(quantity: str, label: Any) -> None:
    if not isinstance(label, str):
        raise QvbTypeError(f"the {quantity} unit is a name (str), not {type(label).__name__} {label!r}")
    if label.lower() not in getattr(UNIT_NAMES, quantity):
        raise QvbValueError(f"{label!r} is not a unit of {quantity}; the names taken (any letter case) "
                            f"are {', '.join(getattr(UNIT_NAMES, quantity))}")


def _values(values: Any, count: int, what: str) -> np.ndarray:
    """Exactly `count` floats from any sequence or array, as C wants them."""
    array = np.ascontiguousarray(values, dtype=np.float64).reshape(-1)
    if array.size != count:
        raise QvbValueError(f"{what} takes {count} values, not {array.size}")
    return array


def _body_file(file_name: PathLike) -> str:
    """A file name to write a body to: a ".qvb" file or a ".master" database
    (with "::name"). Anything else is refused rather than renamed, which the
    library would do by appending ".qvb"."""
    text = os.fsdecode(file_name)
    file_part, marker, selector = text.partition("::")
    extension = os.path.splitext(file_part)[1].lower()
    if extension not in (".qvb", ".master"):
        raise QvbValueError(f"cannot write a body to {text!r}: the file name must end in "
                            f".qvb or .master")
    if marker and extension == ".master" and "." in selector:
        # The library takes the storage kind from the last "." of the whole
        # text, so it would write a body file named after all of it.
        raise QvbValueError(f"cannot write a body to {text!r}: a body name given after \"::\" "
                            f"cannot hold a \".\" (write to {file_part!r} to store it under its title)")
    folder = os.path.dirname(file_part) or "."
    if not os.path.isdir(folder):
        raise BodyNotFoundError(f"cannot write a body to {text}: no such folder {folder}", folder)
    return text


def _call(summary, failed, function, *args):
    """Calls a library function; a failed result raises with its messages."""
    with capture() as messages:
        result = function(*args)
    if failed(result):
        raise QvbError(summary, messages)
    return result


def _status(summary, function, *args):
    return _call(summary, lambda status: status == 0, function, *args)


def _take_array(summary, pointer, count, dtype=np.float64):
    """Copies an array the library handed out and gives it back to the library."""
    if not pointer:
        raise QvbError(summary)
    try:
        if count <= 0:
            return np.zeros(0, dtype=dtype)
        return np.ctypeslib.as_array(pointer, shape=(count,)).astype(dtype, copy=True)
    finally:
        library().QVB_FreeMemory(pointer)


class Body:
    """One flexible body, opened with ``qvb.open`` or made with ``qvb.create``.

    Nodes are named by their IDs; arrays with a row per node follow the order
    of ``node_ids``. Modes are named by their mode numbers (``mode_numbers``).
    Every array returned is a copy: changing it does not change the body.
    A body is a context manager that closes it at the end of the block.
    """

    def __init__(self, handle: int, name: str) -> None:
        lib = library()
        self._lib = lib
        self._handle = handle
        self._generation = lib.generation
        self.name = name

    def __repr__(self) -> str:
        state = "open" if self.is_open else "closed"
        return f"<qvb.Body {self.name!r} ({state})>"

    # -- life cycle ---------------------------------------------------------

    @property
    def is_open(self) -> bool:
        """Whether the body can still be used (not closed, library not terminated)."""
        return self._handle is not None and self._generation == self._lib.generation

    @property
    def handle(self) -> int:
        """The library's body handle (an int), for calls this class lacks."""
        if not self.is_open:
            raise QvbError(f"body {self.name!r} is closed")
        return self._handle

    def close(self) -> None:
        """Releases the body; later calls on it raise QvbError."""
        if self.is_open:
            self._lib.QVB_Destroy(self._handle)
        self._handle = None

    def __del__(self):
        try:
            self.close()
        except Exception:  # interpreter shutdown: the library may be gone already
            pass

    def __enter__(self) -> "Body":
        return self

    def __exit__(self, *exc: Any) -> bool:
        self.close()
        return False

    def write(self, file_name: PathLike) -> None:
        """Writes the body to a file: "part.qvb", or "db.master::name".

        Any other extension raises ValueError (the file is not renamed).
        """
        target = _body_file(file_name)
        _status(f"cannot write {self.name!r} to {target}",
                self._lib.QVB_write_QVB, self.handle, _text(target))

    @property
    def version(self) -> int:
        """The body's format version code (1 for a new body)."""
        return self._lib.QVB_Version(self.handle)

    def has_block(self, number: int) -> bool:
        """Whether block ``number`` (1 to 37) is present in the body."""
        return bool(self._lib.QVB_Exists(self.handle, _integer(number, "the block number") - 1))

    @property
    def header(self) -> Header:
        """The header texts (title, texts 2 and 3, file type, three comments)."""
        buffers = [ctypes.create_string_buffer(size) for size in _HEADER_BUFFERS]
        self._lib.QVB_Header(self.handle, *buffers)
        return Header(*(b.value.decode("utf-8", "replace") for b in buffers))

    def set_header(self, title: str = "", text2: str = "", file_type: str = "",
                   comment1: str = "", comment2: str = "", comment3: str = "") -> None:
        """Sets the header texts (text 3 is kept from files and has no setter)."""
        _status("cannot set the header", self._lib.QVB_SetHeader, self.handle,
                *(_text(t) for t in (title, text2, file_type, comment1, comment2, comment3)))

    # -- units --------------------------------------------------------------

    @property
    def units(self) -> Units:
        """The body's unit names, in the order mass, length, time, force."""
        buffers = [ctypes.create_string_buffer(_UNIT_BUFFER) for _ in range(4)]
        self._lib.QVB_Units(self.handle, *buffers)
        return Units(*(b.value.decode("utf-8", "replace") for b in buffers))

    def set_units(self, mass: str, length: str, time: str, force: str) -> None:
        """Sets the units by name ("kg", "mm", "s", "n", ...); values are converted.

        A name the unit table does not hold for its quantity raises ValueError
        listing the names it does (``UNIT_NAMES``).
        """
        for quantity, label in zip(Units._fields, (mass, length, time, force)):
            _check_unit(quantity, label)
        _status(f"cannot set units {mass}, {length}, {time}, {force}",
                self._lib.QVB_SetUnits, self.handle,
                _text(mass), _text(length), _text(time), _text(force))

    @property
    def si_multipliers(self) -> Units:
        """The size of each body unit in SI: kg, m, s and N per unit."""
        lib, h = self._lib, self.handle
        return Units(lib.QVB_Mass2Kilogram(h, 1.0), lib.QVB_Length2Meter(h, 1.0),
                     lib.QVB_Time2Second(h, 1.0), lib.QVB_Force2Newton(h, 1.0))

    def set_units_si(self, mass: float, length: float, time: float, force: float) -> None:
        """Sets the units by their size in SI (kg, m, s and N per unit)."""
        _status("cannot set units by SI multipliers", self._lib.QVB_SetUnitsByMultiplierOnSI,
                self.handle, float(mass), float(length), float(time), float(force))

    # -- nodes --------------------------------------------------------------

    @property
    def node_count(self) -> int:
        """The number of nodes."""
        return self._lib.QVB_NodeCount(self.handle)

    def _per_index(self, function, count, dtype, *leading):
        """One call per index 0..count-1, gathered into an array."""
        h = self.handle
        return np.array([function(h, *leading, i) for i in range(max(count, 0))], dtype=dtype)

    @property
    def node_ids(self) -> np.ndarray:
        """The node IDs, in node order (the order of every per-node array)."""
        return self._per_index(self._lib.QVB_NodeID, self.node_count, np.int32)

    def node_index(self, node_id: int) -> int:
        """The position of a node ID in ``node_ids``; ValueError when the body
        has no such node."""
        node_id = _integer(node_id, "a node ID")
        index = self._lib.QVB_NodeIndex(self.handle, node_id)
        if index < 0:
            raise QvbValueError(f"no node {node_id} in {self.name!r}")
        return index

    @property
    def coordinates(self) -> np.ndarray:
        """Node coordinates, one row (x, y, z) per node index."""
        capacity = self.node_count
        if capacity <= 0:
            return np.zeros((0, 3))
        values = np.zeros((capacity, 3))
        count = ctypes.c_int(capacity)
        self._lib.QVB_NodeCoordinateList(self.handle, values.ctypes.data_as(P_DOUBLE),
                                         ctypes.byref(count))
        return values[:max(0, min(count.value, capacity))].copy()

    @property
    def nodal_masses(self) -> np.ndarray:
        """The nodal masses, in node order."""
        return self._per_index(self._lib.QVB_NodalMass, self.node_count, np.float64)

    @property
    def interface_node_ids(self) -> np.ndarray:
        """The IDs of the interface nodes."""
        count = ctypes.c_int(0)
        pointer = self._lib.QVB_InterfaceNodeIDs(self.handle, ctypes.byref(count))
        if not pointer:
            return np.zeros(0, dtype=np.int32)
        return _take_array("no interface nodes", pointer, max(count.value, 0), np.int32)

    def set_node(self, node_id: int, xyz: Sequence[float], mass: Optional[float] = None) -> None:
        """Adds a node (or moves an existing one) at xyz, with its mass if given."""
        node_id = _integer(node_id, "a node ID")
        x, y, z = _values(xyz, 3, "a node position")
        _status(f"cannot set node {node_id}", self._lib.QVB_SetNodeCoordinates,
                self.handle, node_id, float(x), float(y), float(z))
        if mass is not None:
            self.set_nodal_mass(node_id, mass)

    def set_nodal_mass(self, node_id: int, mass: float) -> None:
        """Sets the mass of a node."""
        node_id = _integer(node_id, "a node ID")
        _status(f"cannot set the mass of node {node_id}", self._lib.QVB_SetNodalMass,
                self.handle, node_id, float(mass))

    def set_interface_node(self, node_id: int) -> None:
        """Makes a node an interface node."""
        node_id = _integer(node_id, "a node ID")
        _status(f"cannot make node {node_id} an interface node", self._lib.QVB_SetInterfaceNode,
                self.handle, node_id)

    # -- mass ---------------------------------------------------------------

    @property
    def mass_properties(self) -> MassProperties:
        """Total mass, 3 x 3 inertia tensor and centre of mass."""
        mass = ctypes.c_double(0.0)
        inertia = np.zeros(9)
        centre = np.zeros(3)
        self._lib.QVB_TotalMassInertia(self.handle, ctypes.byref(mass),
                                       inertia.ctypes.data_as(P_DOUBLE),
                                       centre.ctypes.data_as(P_DOUBLE))
        return MassProperties(mass.value, inertia.reshape(3, 3), centre)

    def set_global_mass(self, mass: float, inertia: Any, centre: Sequence[float]) -> None:
        """Sets the total mass, the 3 x 3 inertia tensor about the centre of mass
        (nine values, row by row) and the centre of mass."""
        inertia = _values(inertia, 9, "the inertia tensor")
        centre = _values(centre, 3, "the centre of mass")
        _status("cannot set the global mass", self._lib.QVB_SetGlobalMass, self.handle,
                float(mass), inertia.ctypes.data_as(P_DOUBLE), centre.ctypes.data_as(P_DOUBLE))

    # -- faces --------------------------------------------------------------

    @property
    def faces(self) -> List[np.ndarray]:
        """The surface faces, each an array of its corner node IDs, in order
        (what ``add_face`` takes, so faces copy from body to body). A corner
        that names no node of the body is -1."""
        ids = self.node_ids
        faces = []
        for corners in self.face_node_indices():
            known = (corners >= 0) & (corners < len(ids))
            faces.append(np.where(known, ids[np.clip(corners, 0, max(len(ids) - 1, 0))], -1)
                         .astype(np.int32) if len(ids) else np.full(len(corners), -1, np.int32))
        return faces

    def face_node_indices(self) -> List[np.ndarray]:
        """The surface faces as positions in ``node_ids`` (rows of
        ``coordinates``), the form drawing wants; -1 marks a corner that names
        no node of the body."""
        face_count, list_size = ctypes.c_int(0), ctypes.c_int(0)
        self._lib.QVB_FaceListSize(self.handle, ctypes.byref(face_count), ctypes.byref(list_size))
        if face_count.value <= 0 or list_size.value <= 0:
            return []
        flat = np.zeros(list_size.value, dtype=np.int32)
        self._lib.QVB_ElementFaces(self.handle, flat.ctypes.data_as(P_INT))
        return split_face_list(flat, face_count.value)

    def add_face(self, node_ids: Sequence[int]) -> None:
        """Adds one surface face through its corner node IDs, in order."""
        values = np.asarray(node_ids)
        if values.dtype.kind not in "iu":
            raise QvbTypeError(f"face corners are node IDs (integers), not {values.dtype}")
        array = np.ascontiguousarray(values, dtype=np.int32).reshape(-1)
        unknown = [int(n) for n in array if self._lib.QVB_NodeIndex(self.handle, int(n)) < 0]
        if unknown:
            raise QvbValueError(f"cannot add a face to {self.name!r}: no node "
                                f"{', '.join(map(str, unknown))} (set nodes before their faces)")
        _status("cannot add a face", self._lib.QVB_SetFaceList, self.handle,
                len(array), array.ctypes.data_as(P_INT))

    # -- modes --------------------------------------------------------------

    @property
    def mode_count(self) -> int:
        """The number of modes."""
        return self._lib.QVB_ModeCount(self.handle)

    @property
    def mode_numbers(self) -> np.ndarray:
        """The mode numbers, in mode order."""
        return self._per_index(self._lib.QVB_ModeNumber, self.mode_count, np.int32)

    @property
    def rigid_body_mode_count(self) -> int:
        """The number of rigid-body modes."""
        return self._lib.QVB_RigidBodyModeCount(self.handle)

    def _mode_index(self, mode_number: int) -> int:
        mode_number = _integer(mode_number, "a mode number")
        index = self._lib.QVB_ModeIndex(self.handle, mode_number)
        if index < 0:
            raise QvbValueError(f"no mode number {mode_number} in {self.name!r}")
        return index

    def mode_node_ids(self, kind: ResultKind = SHAPE) -> np.ndarray:
        """The IDs of the nodes that carry results of a kind, in result order."""
        kind = _member(kind, ResultKind, "the result kind")
        count = self._lib.QVB_ModeNodeCount(self.handle, kind)
        return self._per_index(self._lib.QVB_ModeNodeID, count, np.int32, kind)

    def mode_shape(self, mode_number: int, kind: ResultKind = SHAPE,
                   part: ResultPart = TRANSLATION) -> np.ndarray:
        """One mode's results, one row of three values per mode node.

        kind: SHAPE, STRESS or STRAIN (``ResultKind``); part: TRANSLATION
        (normal components) or ROTATION (shear components, ``ResultPart``).
        Rows follow ``mode_node_ids(kind)``. A member of the other enumeration
        raises TypeError (``mode_shape(7, qvb.ROTATION)`` is a mistake for
        ``part=qvb.ROTATION``); a number out of range, ValueError.
        """
        kind = _member(kind, ResultKind, "the result kind")
        part = _member(part, ResultPart, "the result part")
        self._mode_index(mode_number)
        count = self._lib.QVB_ModeNodeCount(self.handle, kind)
        values = np.zeros((max(count, 0), 3))
        if count > 0:
            self._lib.QVB_Mode(self.handle, mode_number, kind,
                               values.ctypes.data_as(P_DOUBLE), part)
        return values

    def eigen(self, mode_number: int) -> Eigen:
        """Eigenvalue, frequency (Hz), circular frequency, generalized mass and stiffness."""
        self._mode_index(mode_number)
        out = [ctypes.c_double(0.0) for _ in range(5)]
        self._lib.QVB_Eigenvalue(self.handle, mode_number, *(ctypes.byref(v) for v in out))
        return Eigen(mode_number, *(v.value for v in out))

    @property
    def eigen_table(self) -> Eigen:
        """The eigen quantities of every mode, as an Eigen of arrays."""
        rows = [self.eigen(number) for number in self.mode_numbers]
        if not rows:
            return Eigen(*(np.zeros(0) for _ in Eigen._fields))
        return Eigen(*(np.array(column) for column in zip(*rows)))

    @property
    def frequencies(self) -> np.ndarray:
        """Frequencies in Hz, in mode order."""
        return self.eigen_table.frequency

    def set_mode(self, mode_number: int, node_id: int, values: Sequence[float],
                 kind: ResultKind = SHAPE) -> None:
        """Sets six values (translations then rotations) of one node of a mode.

        The node must exist (``set_node`` first): a value for a node the body
        does not have would be kept where no reader finds it.
        """
        mode_number = _integer(mode_number, "a mode number")
        kind = _member(kind, ResultKind, "the result kind")
        self.node_index(node_id)
        six = [float(v) for v in _values(values, 6, "a mode entry")]
        _status(f"cannot set mode {mode_number} at node {node_id}", self._lib.QVB_SetMode,
                self.handle, mode_number, node_id, int(kind), *six)

    def set_generalized(self, mode_number: int, mass: float, stiffness: float) -> None:
        """Sets the diagonal generalized mass and stiffness of a mode."""
        n = _integer(mode_number, "a mode number")
        _status(f"cannot set the generalized mass of mode {n}",
                self._lib.QVB_SetGeneralizedMass, self.handle, n, n, float(mass))
        _status(f"cannot set the generalized stiffness of mode {n}",
                self._lib.QVB_SetGeneralizedStiffness, self.handle, n, n, float(stiffness))

    def rebuild_eigenvalues(self) -> None:
        """Recomputes the eigenvalues from the generalized mass and stiffness."""
        self._lib.QVB_RebuildEigenvalues(self.handle)

    # -- inertia invariants -------------------------------------------------

    def invariant(self, number: int, *modes: int) -> Union[float, np.ndarray]:
        """Inertia invariant 1 to 9.

        1: a float; 2: 3 values; 3 and 4: a 3 x M array (component, mode
        index); 5 (mode number i): 3 x M; 6: M x M; 7: 3 x 3; 8 (i): 3 x 3;
        9 (i, j): 3 x 3. M is the mode count; columns and rows that run over
        the modes follow ``mode_numbers``.
        """
        shapes = {2: (3,), 3: (3, -1), 4: (3, -1), 5: (3, -1), 6: (-1, -1),
                  7: (3, 3), 8: (3, 3), 9: (3, 3)}
        arity = {5: 1, 8: 1, 9: 2}
        number = _integer(number, "the invariant number")
        if number == 1:
            return self._lib.QVB_Invar1(self.handle)
        if number not in shapes:
            raise QvbValueError("inertia invariants are numbered 1 to 9")
        if len(modes) != arity.get(number, 0):
            raise QvbTypeError(f"invariant {number} takes {arity.get(number, 0)} mode number(s)")
        m = self.mode_count
        shape = tuple(m if s == -1 else s for s in shapes[number])
        summary = f"no invariant {number} in {self.name!r}"
        function = getattr(self._lib, f"QVB_Invar{number}")
        # The library selects these per-mode invariants by mode index.
        indices = [self._mode_index(n) for n in modes]
        with capture() as messages:
            pointer = function(self.handle, *indices)
        if not pointer:
            raise QvbError(summary, messages)
        return _take_array(summary, pointer, int(np.prod(shape))).reshape(shape)

    def set_invariant1(self, value: float) -> None:
        """Sets inertia invariant 1 (the total mass)."""
        _status("cannot set invariant 1", self._lib.QVB_SetInvar1, self.handle, float(value))

    def set_invariant2(self, values: Sequence[float]) -> None:
        """Sets inertia invariant 2 (three values: the first mass moment)."""
        array = _values(values, 3, "invariant 2")
        _status("cannot set invariant 2", self._lib.QVB_SetInvar2, self.handle,
                array.ctypes.data_as(P_DOUBLE))

    def set_invariant7(self, values: Any) -> None:
        """Sets inertia invariant 7, the symmetric 3 x 3 inertia tensor.

        Takes its six distinct values in the library's order xx, yy, zz, xy,
        xz, yz, or the 3 x 3 matrix itself (which must be symmetric);
        ``invariant(7)`` reads it back as the 3 x 3 matrix.
        """
        array = np.asarray(values, dtype=np.float64)
        if array.shape == (3, 3):
            if not np.allclose(array, array.T, rtol=1e-12, atol=0.0):
                raise QvbValueError("invariant 7 is a symmetric matrix")
            array = array[[0, 1, 2, 0, 0, 1], [0, 1, 2, 1, 2, 2]]
        array = np.ascontiguousarray(_values(array, 6, "invariant 7 (xx yy zz xy xz yz)"))
        _status("cannot set invariant 7", self._lib.QVB_SetInvar7, self.handle,
                array.ctypes.data_as(P_DOUBLE))

    # -- derived views ------------------------------------------------------

    def node_displacements(self, mode_number: int) -> np.ndarray:
        """The translational shape of a mode spread over all nodes (N x 3).

        Nodes that carry no shape value get zeros, so the result lines up with
        ``coordinates`` whatever subset of nodes the shape is stored for.
        """
        shape = self.mode_shape(mode_number, SHAPE, TRANSLATION)
        full = np.zeros((self.node_count, 3))
        index_of = {int(node_id): i for i, node_id in enumerate(self.node_ids)}
        for row, node_id in zip(shape, self.mode_node_ids(SHAPE)):
            i = index_of.get(int(node_id))
            if i is not None:
                full[i] = row
        return full


def split_face_list(flat: Any, face_count: int) -> List[np.ndarray]:
    """Splits the library's flat face list (n, then n node indices, ...)."""
    faces = []
    position = 0
    flat = np.asarray(flat)
    while len(faces) < face_count and position < len(flat):
        size = int(flat[position])
        if size < 0 or position + 1 + size > len(flat):
            raise QvbError(f"malformed face list at entry {position}")
        faces.append(flat[position + 1:position + 1 + size].copy())
        position += 1 + size
    return faces


def parse_specification(specification: PathLike) -> "tuple[str, int, str]":
    """Splits "file::selector" as the stores and the commands read it.

    Returns (file, index, name): index is the body number (0 when none was
    given or a database body is named), name a database body's name ("" when
    none). A selector that is not valid for the file raises QvbValueError: a
    body file takes a body number (digits only, from 1), a database a
    number, "*" or a name (docs/user-guide.md, "Opening bodies").
    """
    lib = library()
    spec = os.fsdecode(specification)
    file_name = ctypes.create_string_buffer(1024)
    body_name = ctypes.create_string_buffer(256)
    index = ctypes.c_int(0)
    with capture() as messages:
        ok = lib.qvb_ParseBodySelector(spec.encode(), file_name, len(file_name), ctypes.byref(index),
                                       body_name, len(body_name))
    if not ok:
        raise QvbValueError(f"cannot open {spec}", messages)
    return os.fsdecode(file_name.value), index.value, os.fsdecode(body_name.value)


def open(specification: PathLike, surface_only: bool = False) -> Body:  # noqa: A001
    """Opens a body: "beam.qvb", "part.qvb::2" or "fleet.master::wing".

    surface_only reads just the surface mesh (nodes and faces), which is
    faster for large bodies that are only to be drawn. A file that does not
    exist raises FileNotFoundError, a folder IsADirectoryError; a name that is
    neither ".qvb" nor ".master", or a selector the file does not take,
    ValueError; a file the library cannot read, QvbError. (Not exported by
    ``from qvb import *``, which would hide the built-in ``open``: call it as
    ``qvb.open``.)
    """
    lib = library()
    spec = os.fsdecode(specification)
    file_name, _, _ = parse_specification(spec)
    if not os.path.exists(file_name):
        raise BodyNotFoundError(f"cannot open {spec}: no such file", file_name)
    if os.path.isdir(file_name):
        raise BodyIsAFolderError(f"cannot open {spec}: {file_name} is a folder", file_name)
    if os.path.splitext(file_name)[1].lower() not in (".qvb", ".master"):
        raise QvbValueError(f"cannot open {spec}: a body is read from a body file (.qvb) "
                            f"or a body database (.master)")
    with capture() as messages:
        # The file is cut at the first "::" before its kind is decided, so
        # database bodies whose names hold a "." open too; the store reads the
        # selector by the grammar just checked.
        handle = lib.qvb_OpenBody(spec.encode(), 1 if surface_only else 0)
    if not handle:
        raise QvbError(f"cannot open {spec}", messages)
    return Body(handle, spec)


def create(node_capacity: int = 0, mode_capacity: int = 0) -> Body:
    """Creates an empty body in memory, to be filled and written.

    The capacities are hints for the number of nodes and modes to come.
    """
    lib = library()
    with capture() as messages:
        handle = lib.QVB_Create(_integer(node_capacity, "the node capacity"),
                                _integer(mode_capacity, "the mode capacity"))
    if not handle:
        raise QvbError("cannot create a body", messages)
    return Body(handle, "<new body>")
