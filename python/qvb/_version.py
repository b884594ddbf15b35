"""The package version: the library's version (project() in CMakeLists.txt,
which a test keeps equal to this)."""

__version__ = "1.0.0"
