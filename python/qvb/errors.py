"""The exceptions of the package.

Every exception the package raises is a ``QvbError``, so one ``except
qvb.QvbError`` catches them all; the ones a Python user expects by kind are
also the built-in kind: a body file that does not exist is a
``FileNotFoundError``, a bad argument value a ``ValueError``, an argument of
the wrong type (a float where an integer is meant) a ``TypeError``.
"""

import errno
from typing import Iterable, Optional

__all__ = ["QvbError", "BodyNotFoundError", "BodyIsAFolderError", "QvbValueError", "QvbTypeError",
           "QvbWarning"]


class QvbError(RuntimeError):
    """A library call failed.

    ``messages`` holds the error and warning texts the library reported while
    the call ran; the exception's text is the summary followed by them, so the
    library's own words reach whoever catches or prints the exception.
    """

    def __init__(self, summary: str, messages: Iterable[str] = ()) -> None:
        self.summary = summary
        self.messages = list(messages)
        text = summary
        if self.messages:
            text += ": " + "; ".join(self.messages)
        super().__init__(text)


class _FileError(QvbError):
    """A QvbError that is also the OSError of its kind, with its errno."""

    _errno = 0

    def __init__(self, summary: str, file_name: Optional[str] = None,
                 messages: Iterable[str] = ()) -> None:
        super().__init__(summary, messages)
        self.errno = self._errno
        self.strerror = self.args[0]
        self.filename = file_name

    def __str__(self) -> str:
        # OSError would print "[Errno 2] ...: 'file'"; the summary and the
        # library's reasons already say it all.
        return self.strerror


class BodyNotFoundError(_FileError, FileNotFoundError):
    """The file a body was to be read from, or the folder it was to be
    written into, does not exist."""

    _errno = errno.ENOENT


class BodyIsAFolderError(_FileError, IsADirectoryError):
    """A body was to be read from a folder."""

    _errno = errno.EISDIR


class QvbValueError(QvbError, ValueError):
    """An argument has the right type but a value the body cannot take
    (a node or mode the body does not have, a wrong number of values, a file
    name without a body extension)."""


class QvbTypeError(QvbError, TypeError):
    """An argument has the wrong type, such as a float where an integer is meant,
    or a member of the wrong enumeration (``qvb.ROTATION`` as a result kind)."""


class QvbWarning(UserWarning):
    """A warning of the library or of a storage backend (``warnings`` shows
    each once by default; ``warnings.simplefilter`` decides otherwise)."""
