"""Builds the library, its plug-ins and commands with CMake for the Python package.

pip runs this through pyproject.toml. The CMake build goes to build/pip (or
QVB_PIP_BUILD_DIR) and is installed into the package as qvb/_prefix (bin/,
lib/, lib/qvb/plugins/), where everything finds everything else relative to
its own place: the package loads _prefix/lib/libqvb.so.1, the library finds
its plug-ins beside itself, the commands their library through their run
path. No environment is needed after installing.
"""

import os
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import setup
from setuptools.command.build_py import build_py
from setuptools.dist import Distribution

SOURCE = Path(__file__).resolve().parent
PREFIX = "_prefix"


def _cmake(*arguments):
    print("qvb: cmake " + " ".join(arguments), flush=True)
    subprocess.run(["cmake", *arguments], check=True)


class BuildWithCMake(build_py):
    """The ordinary Python files, plus the CMake build installed beside them."""

    def run(self):
        super().run()
        build = Path(os.environ.get("QVB_PIP_BUILD_DIR", SOURCE / "build" / "pip")).resolve()
        jobs = os.environ.get("QVB_PIP_JOBS", "2")
        _cmake("-S", str(SOURCE), "-B", str(build), "-G", "Ninja" if shutil.which("ninja") else "Unix Makefiles",
               "-DCMAKE_BUILD_TYPE=Release", "-DQVB_BUILD_TESTS=OFF",
               "-DCMAKE_INSTALL_LIBDIR=lib", f"-DQVB_PYTHON={sys.executable}")
        _cmake("--build", str(build), "-j", jobs)
        package = Path(self.build_lib) / "qvb"
        prefix = package / PREFIX
        shutil.rmtree(prefix, ignore_errors=True)
        _cmake("--install", str(build), "--prefix", str(prefix))
        # The package itself is installed by pip, and its scripts as console
        # scripts: the copies CMake installs for a plain prefix are dropped.
        for extra in list((prefix / "lib").glob("python*")) + [prefix / "bin" / "qvb-plot"]:
            if extra.is_dir():
                shutil.rmtree(extra)
            elif extra.exists():
                extra.unlink()
        (package / "_install_paths.py").write_text(
            "# Written by setup.py: where the installed package keeps its library and\n"
            "# commands, relative to the package folder.\n"
            f'LIBRARY = "{PREFIX}/lib/libqvb.so.1"\n'
            f'BINDIR = "{PREFIX}/bin"\n')


class BinaryDistribution(Distribution):
    """The package carries compiled files for this platform."""

    def has_ext_modules(self):
        return True


setup(cmdclass={"build_py": BuildWithCMake}, distclass=BinaryDistribution)
