"""The exception every failing library call becomes."""


class QvbError(RuntimeError):
    """A library call failed.

    ``messages`` holds the error and warning texts the library reported while
    the call ran; the exception's text is the summary followed by them, so the
    library's own words reach whoever catches or prints the exception.
    """

    def __init__(self, summary, messages=()):
        self.summary = summary
        self.messages = list(messages)
        text = summary
        if self.messages:
            text += ": " + "; ".join(self.messages)
        super().__init__(text)
