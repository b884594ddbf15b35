"""The exceptions of the package.

Every exception the package raises is a ``QvbError``, so one ``except
qvb.QvbError`` catches them all; the ones a Python user expects by kind are
also the built-in kind: a body file that does not exist is a
``FileNotFoundError``, a bad argument value a ``ValueError``, an argument of
the wrong type (a float where an integer is meant) a ``TypeError``.
"""

import errno
from typing import Iterable, Optional

__all__ = ["QvbError", "BodyNotFoundError", "QvbValueError", "QvbTypeError"]


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


class BodyNotFoundError(QvbError, FileNotFoundError):
    """The file a body was to be read from does not exist."""

    def __init__(self, summary: str, file_name: Optional[str] = None,
                 messages: Iterable[str] = ()) -> None:
        super().__init__(summary, messages)
        self.errno = errno.ENOENT
        self.strerror = self.args[0]
        self.filename = file_name

    def __str__(self) -> str:
        # OSError would print "[Errno 2] ...: 'file'"; the summary and the
        # library's reasons already say it all.
        return self.strerror


class QvbValueError(QvbError, ValueError):
    """An argument has the right type but a value the body cannot take
    (a node or mode the body does not have, a wrong number of values, a file
    name without a body extension)."""


class QvbTypeError(QvbError, TypeError):
    """An argument has the wrong type, such as a float where an integer is meant."""
