"""Routing the library's message channel into Python's logging.

Every error, warning and information message of the library and of its
storage backends reaches the handler installed here. Each one is logged on the
"qvb" logger; while a call made through ``capture()`` runs, its error and
warning texts are also collected so that a failure can carry them.
"""

import atexit
import logging
import threading

from ._native import MSG_HANDLER

logger = logging.getLogger("qvb")

_LEVELS = {0: logging.ERROR, 1: logging.WARNING, 2: logging.INFO}
_local = threading.local()

# ctypes frees a callback's trampoline when the Python object dies; the library
# keeps the bare pointer, so the object must stay referenced for as long as the
# library may call it.
_handler = None


def _on_message(text, severity):
    message = (text or b"").decode("utf-8", "replace").rstrip("\n")
    logger.log(_LEVELS.get(severity, logging.INFO), "%s", message)
    if severity in (0, 1):
        for collected in getattr(_local, "captures", ()):
            collected.append(message)


class capture:
    """Collects the error and warning texts reported while the block runs."""

    def __enter__(self):
        self.messages = []
        if not hasattr(_local, "captures"):
            _local.captures = []
        _local.captures.append(self.messages)
        return self.messages

    def __exit__(self, *exc):
        # By identity: two captures holding equal texts are still different.
        _local.captures[:] = [c for c in _local.captures if c is not self.messages]
        return False


def install(library):
    global _handler
    _handler = MSG_HANDLER(_on_message)
    library.QVB_SetMsgHandler(_handler)

    def shut_down():
        # Shut the backends down while Python can still take their messages,
        # then hand printing back to the library before the trampoline goes.
        from . import terminate
        terminate()
        library.QVB_SetMsgHandler(None)

    atexit.register(shut_down)
