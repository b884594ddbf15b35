"""Routing the library's message channel into Python's own channels.

Every error, warning and information message of the library and of its
storage backends reaches the handler installed here:

- errors and information messages go to the "qvb" logger, which carries a
  ``NullHandler``: nothing is printed unless the script sets up logging. An
  error that ends a call also travels in the exception (``QvbError.messages``),
  so it is never printed twice;
- warnings go through ``warnings.warn`` as ``QvbWarning``, so the usual
  filters show each once, silence them or turn them into errors. A warning
  reported during a call made through ``capture()`` is issued when the call
  has returned, from Python code rather than from inside the library.
"""

import atexit
import logging
import threading
import warnings

from ._native import MSG_HANDLER
from .errors import QvbWarning

logger = logging.getLogger("qvb")
logger.addHandler(logging.NullHandler())

_LEVELS = {0: logging.ERROR, 1: logging.WARNING, 2: logging.INFO}
_local = threading.local()

# ctypes frees a callback's trampoline when the Python object dies; the library
# keeps the bare pointer, so the object must stay referenced for as long as the
# library may call it.
_handler = None


def _warn(message, stacklevel):
    try:
        warnings.warn(message, QvbWarning, stacklevel=stacklevel)
    except QvbWarning:
        raise
    except Exception:  # a filter that raises something else: keep the text
        logger.warning("%s", message)


def _on_message(text, severity):
    message = (text or b"").decode("utf-8", "replace").rstrip("\n")
    captures = getattr(_local, "captures", ())
    if severity in (0, 1):
        for collected in captures:
            collected.append(message)
    if severity == 1:
        if captures:
            captures[-1].pending.append(message)
        else:
            # From inside a library call: an exception cannot pass through C.
            try:
                _warn(message, 2)
            except Exception:
                logger.warning("%s", message)
        return
    logger.log(_LEVELS.get(severity, logging.INFO), "%s", message)


class _Messages(list):
    """The texts a capture collected, and the warnings still to be issued."""

    def __init__(self):
        super().__init__()
        self.pending = []


class capture:
    """Collects the error and warning texts reported while the block runs;
    the warnings are issued through ``warnings`` when the block ends."""

    def __enter__(self):
        self.messages = _Messages()
        if not hasattr(_local, "captures"):
            _local.captures = []
        _local.captures.append(self.messages)
        return self.messages

    def __exit__(self, *exc):
        # By identity: two captures holding equal texts are still different.
        _local.captures[:] = [c for c in _local.captures if c is not self.messages]
        pending, self.messages.pending = self.messages.pending, []
        if exc[0] is None:
            for message in pending:
                _warn(message, 4)
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
