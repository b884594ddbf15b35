# BLAS and LAPACK for the whole tree, found one way: the target qvb_lapack
# (the routines are declared in src/kernels/blas_lapack.h).
#
# The library starts no threads, so it takes Debian's single-threaded
# OpenBLAS (libopenblas-serial-dev), which holds LAPACK too. It has the same
# soname, libopenblas.so.0, as the threaded build that the system's
# alternatives usually select and that starts its thread pool as soon as it
# is loaded; so it is linked by full path, and every target that links it
# gets a run path to its folder, which the loader searches before its cache
# (the install step keeps that entry: it only rewrites the build tree's).
# QVB_SERIAL_BLAS may name another single-threaded BLAS and LAPACK with the
# Fortran interface. A generic find_package(BLAS) or (LAPACK) is not used:
# on Debian it returns the threaded build, and its link probes fail under
# the sanitizers.
find_library(QVB_SERIAL_BLAS NAMES openblas
  PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/openblas-serial /usr/lib64/openblas-serial
  NO_DEFAULT_PATH
  DOC "Single-threaded BLAS and LAPACK (Fortran interface)")

add_library(qvb_lapack INTERFACE)
if(QVB_SERIAL_BLAS)
  get_filename_component(_serial_blas_dir "${QVB_SERIAL_BLAS}" DIRECTORY)
  target_link_libraries(qvb_lapack INTERFACE "${QVB_SERIAL_BLAS}")
  target_link_options(qvb_lapack INTERFACE "LINKER:-rpath,${_serial_blas_dir}")
  message(STATUS "qvb: BLAS and LAPACK from the single-threaded ${QVB_SERIAL_BLAS}")
else()
  message(STATUS "qvb: no single-threaded BLAS found (libopenblas-serial-dev); set QVB_SERIAL_BLAS")
endif()
