"""Finding and loading libqvb.so, and the C signatures this package calls.

The library is looked for, in order:

1. the file named by the environment variable ``QVB_LIBRARY``;
2. the library of the installation this package belongs to (the install step
   writes its location into ``_install_paths.py``);
3. the newest ``build/*/lib/libqvb.so`` of the source tree the package sits in;
4. whatever the dynamic loader finds under the name ``libqvb.so.1``
   (``LD_LIBRARY_PATH``, the system's library folders).

The storage backends are plug-ins that the library looks for on
``TRX_USER_PLUGIN_DIR``. When that variable is not set, it is pointed at the
plug-in folder that belongs to the library that was loaded, so an installed
package and a build tree both work without any environment.
"""

import ctypes
import os
import threading
from pathlib import Path

from .errors import QvbError

c_int = ctypes.c_int
c_double = ctypes.c_double
c_char_p = ctypes.c_char_p
c_void_p = ctypes.c_void_p
P_INT = ctypes.POINTER(ctypes.c_int)
P_DOUBLE = ctypes.POINTER(ctypes.c_double)
P_FLOAT = ctypes.POINTER(ctypes.c_float)
P_CHAR = ctypes.POINTER(ctypes.c_char)
HANDLE = c_void_p

# The subset of the C interface this package uses, as declared in the public
# headers. A wrong declaration here corrupts arguments silently, so the test
# suite compares this table with the headers (tests/front/abi/check_declarations.py).
PROTOTYPES = {
    # creation, file queries, release and teardown
    "QVB_Create": (HANDLE, [c_int, c_int]),
    "QVB_CreateFromQVB": (HANDLE, [c_char_p]),
    "QVB_CreateFromFileByIndex": (HANDLE, [c_char_p, c_int]),
    "QVB_CreateFromFileByIndex_SurfaceMesh": (HANDLE, [c_char_p, c_int]),
    "QVB_BodyCount": (c_int, [c_char_p]),
    "qvb_ParseBodySelector": (c_int, [c_char_p, P_CHAR, c_int, P_INT, P_CHAR, c_int]),
    "qvb_OpenBody": (HANDLE, [c_char_p, c_int]),
    "QVB_IsValid": (c_int, [HANDLE]),
    "QVB_FreeMemory": (None, [c_void_p]),
    "QVB_Terminate": (None, []),
    "QVB_Destroy": (c_int, [HANDLE]),
    "QVB_write_QVB": (c_int, [HANDLE, c_char_p]),
    "QVB_SetMsgHandler": (None, [c_void_p]),
    # identity
    "QVB_Version": (c_int, [HANDLE]),
    "QVB_Exists": (c_int, [HANDLE, c_int]),
    "QVB_SetHeader": (c_int, [HANDLE] + [c_char_p] * 6),
    "QVB_Header": (c_int, [HANDLE] + [P_CHAR] * 7),
    # units
    "QVB_SetUnits": (c_int, [HANDLE, c_char_p, c_char_p, c_char_p, c_char_p]),
    "QVB_SetUnitsByMultiplierOnSI": (c_int, [HANDLE, c_double, c_double, c_double, c_double]),
    "QVB_Units": (c_int, [HANDLE, P_CHAR, P_CHAR, P_CHAR, P_CHAR]),
    "QVB_Mass2Kilogram": (c_double, [HANDLE, c_double]),
    "QVB_Length2Meter": (c_double, [HANDLE, c_double]),
    "QVB_Time2Second": (c_double, [HANDLE, c_double]),
    "QVB_Force2Newton": (c_double, [HANDLE, c_double]),
    # mass
    "QVB_SetGlobalMass": (c_int, [HANDLE, c_double, P_DOUBLE, P_DOUBLE]),
    "QVB_TotalMassInertia": (c_int, [HANDLE, P_DOUBLE, P_DOUBLE, P_DOUBLE]),
    # nodes
    "QVB_NodeCount": (c_int, [HANDLE]),
    "QVB_NodeID": (c_int, [HANDLE, c_int]),
    "QVB_NodeIndex": (c_int, [HANDLE, c_int]),
    "QVB_SetNodeCoordinates": (c_int, [HANDLE, c_int, c_double, c_double, c_double]),
    "QVB_NodeCoordinateList": (c_int, [HANDLE, P_DOUBLE, P_INT]),
    "QVB_SetNodalMass": (c_int, [HANDLE, c_int, c_double]),
    "QVB_NodalMass": (c_double, [HANDLE, c_int]),
    "QVB_SetInterfaceNode": (c_int, [HANDLE, c_int]),
    "QVB_InterfaceNodeIDs": (P_INT, [HANDLE, P_INT]),
    # faces
    "QVB_SetFaceList": (c_int, [HANDLE, c_int, P_INT]),
    "QVB_FaceListSize": (c_int, [HANDLE, P_INT, P_INT]),
    "QVB_ElementFaces": (c_int, [HANDLE, P_INT]),
    # modes
    "QVB_ModeCount": (c_int, [HANDLE]),
    "QVB_ModeNumber": (c_int, [HANDLE, c_int]),
    "QVB_ModeIndex": (c_int, [HANDLE, c_int]),
    "QVB_ModeNodeCount": (c_int, [HANDLE, c_int]),
    "QVB_ModeNodeID": (c_int, [HANDLE, c_int, c_int]),
    "QVB_RigidBodyModeCount": (c_int, [HANDLE]),
    "QVB_SetMode": (c_int, [HANDLE, c_int, c_int, c_int] + [c_double] * 6),
    "QVB_Mode": (c_int, [HANDLE, c_int, c_int, P_DOUBLE, c_int]),
    "QVB_Eigenvalue": (c_int, [HANDLE, c_int] + [P_DOUBLE] * 5),
    "QVB_SetGeneralizedMass": (c_int, [HANDLE, c_int, c_int, c_double]),
    "QVB_SetGeneralizedStiffness": (c_int, [HANDLE, c_int, c_int, c_double]),
    "QVB_RebuildEigenvalues": (c_int, [HANDLE]),
    # inertia invariants
    "QVB_Invar1": (c_double, [HANDLE]),
    "QVB_Invar2": (P_DOUBLE, [HANDLE]),
    "QVB_Invar3": (P_DOUBLE, [HANDLE]),
    "QVB_Invar4": (P_DOUBLE, [HANDLE]),
    "QVB_Invar5": (P_DOUBLE, [HANDLE, c_int]),
    "QVB_Invar6": (P_DOUBLE, [HANDLE]),
    "QVB_Invar7": (P_DOUBLE, [HANDLE]),
    "QVB_Invar8": (P_DOUBLE, [HANDLE, c_int]),
    "QVB_Invar9": (P_DOUBLE, [HANDLE, c_int, c_int]),
    "QVB_SetInvar1": (c_int, [HANDLE, c_double]),
    "QVB_SetInvar2": (c_int, [HANDLE, P_DOUBLE]),
    "QVB_SetInvar7": (c_int, [HANDLE, P_DOUBLE]),
}

# Present only when the unit table is built into the library.
OPTIONAL_PROTOTYPES = {
    "QVB_ConvertUnitsLabel": (c_int, [P_CHAR]),
}

MSG_HANDLER = ctypes.CFUNCTYPE(None, c_char_p, c_int)

LIBRARY_FILE = "libqvb.so"
SONAME_FILE = "libqvb.so.1"


def _package_dir():
    return Path(__file__).resolve().parent


def _installed_library():
    try:
        from . import _install_paths  # written by the install step only
    except ImportError:
        return None
    return (_package_dir() / _install_paths.LIBRARY).resolve()


def _build_tree_library():
    source_root = _package_dir().parent.parent
    candidates = [p for p in source_root.glob("build/*/lib/" + LIBRARY_FILE) if p.is_file()]
    if not candidates:
        return None
    return max(candidates, key=lambda p: p.stat().st_mtime)


def library_candidates():
    """The places searched for the library, in order, as (how, path) pairs."""
    found = []
    named = os.environ.get("QVB_LIBRARY")
    if named:
        found.append(("QVB_LIBRARY", Path(named)))
    for how, path in (("installation", _installed_library()),
                      ("build tree", _build_tree_library())):
        if path is not None:
            found.append((how, path))
    return found


def plugin_dir_for(library_path):
    """The plug-in folder that belongs to a library file, or None.

    An installation keeps plug-ins in <libdir>/qvb/plugins; a build tree in
    plugins/ beside lib/.
    """
    lib_dir = Path(library_path).resolve().parent
    for folder in (lib_dir / "qvb" / "plugins", lib_dir.parent / "plugins"):
        if folder.is_dir():
            return folder
    return None


def _declare(cdll, table, required):
    for name, (restype, argtypes) in table.items():
        try:
            function = getattr(cdll, name)
        except AttributeError:
            if required:
                raise QvbError(f"{cdll._name} does not export {name}")
            continue
        function.restype = restype
        function.argtypes = argtypes


def _open_library():
    tried = []
    for how, path in library_candidates():
        if how == "QVB_LIBRARY" and not path.is_file():
            raise QvbError(f"QVB_LIBRARY names {path}, which is not a file")
        try:
            return ctypes.CDLL(str(path)), path
        except OSError as error:
            tried.append(f"{path} ({how}): {error}")
    try:
        cdll = ctypes.CDLL(SONAME_FILE)
    except OSError as error:
        tried.append(f"{SONAME_FILE} (dynamic loader): {error}")
        raise QvbError("cannot load the qvb library; set QVB_LIBRARY to libqvb.so. Tried:\n  "
                       + "\n  ".join(tried)) from None
    return cdll, _loaded_path(cdll)


def _loaded_path(cdll):
    """Where the dynamic loader found a library, from the process's map."""
    try:
        address = ctypes.cast(cdll.QVB_Terminate, c_void_p).value
        with open("/proc/self/maps", encoding="utf-8") as maps:
            for line in maps:
                fields = line.split()
                low, high = (int(x, 16) for x in fields[0].split("-"))
                if low <= address < high and len(fields) >= 6:
                    return Path(fields[5])
    except (OSError, ValueError, AttributeError):
        pass
    return Path(SONAME_FILE)


class Library:
    """The loaded library: the ctypes handle plus where it came from.

    ``path`` is the library file, ``plugin_dir`` the folder of its storage
    plug-ins (or None); the C functions are attributes (``QVB_NodeCount``).
    """

    def __init__(self) -> None:
        self.cdll, self.path = _open_library()
        _declare(self.cdll, PROTOTYPES, required=True)
        _declare(self.cdll, OPTIONAL_PROTOTYPES, required=False)
        self.plugin_dir = plugin_dir_for(self.path)
        # The loader reads the variable when a backend is first bound, which
        # happens later, so setting it now is early enough.
        if "TRX_USER_PLUGIN_DIR" not in os.environ and self.plugin_dir is not None:
            os.environ["TRX_USER_PLUGIN_DIR"] = str(self.plugin_dir)
        # Bumped by terminate(): handles of an earlier generation are dead.
        self.generation = 0

    def __getattr__(self, name):
        return getattr(self.cdll, name)

    def has(self, name: str) -> bool:
        """Whether the library exports the function ``name``."""
        return hasattr(self.cdll, name)


_library = None
_library_lock = threading.Lock()


def library() -> Library:
    """The process-wide library, loaded on first use (QvbError when it cannot be)."""
    global _library
    with _library_lock:
        if _library is None:
            loaded = Library()
            from . import _messages
            _messages.install(loaded)
            _library = loaded
        return _library
