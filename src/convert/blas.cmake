# Fast kernels of the converter: invariants 5 and 9 from weighted Gram
# matrices, and the printf-compatible number formatter. Included by the
# converter, the body model, the benchmarks and their tests; defined once per
# build tree.
#
# The library starts no threads, so the Gram matrices use a single-threaded
# BLAS: Debian's serial OpenBLAS (libopenblas-serial-dev). It has the same
# soname, libopenblas.so.0, as the threaded variant that the system's
# alternatives usually select and that starts its thread pool as soon as it
# is loaded; so it is linked by full path and every target that links this
# one (libqvb, the storage plug-ins) gets a run path to its folder, which the
# loader searches before its cache. The install step keeps that entry (it
# only rewrites the build-tree entries), so installed trees load it too.
# QVB_SERIAL_BLAS may name another single-threaded BLAS with the Fortran
# interface; QVB_USE_BLAS=OFF (or no serial BLAS found) selects the kernel's
# own blocked loops: correct, several times slower. A generic find_package
# (BLAS) is not used: on Debian it returns the threaded OpenBLAS.
if(NOT TARGET qvb_convert_fast)
  option(QVB_USE_BLAS "Gram kernels through a single-threaded BLAS (else built-in loops)" ON)
  find_library(QVB_SERIAL_BLAS NAMES openblas
    PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/openblas-serial /usr/lib64/openblas-serial
    NO_DEFAULT_PATH
    DOC "Single-threaded BLAS (Fortran interface) for the converter's Gram kernels")
  add_library(qvb_convert_fast STATIC
    ${CMAKE_CURRENT_LIST_DIR}/invariants_5_9_blas.cpp
    ${CMAKE_CURRENT_LIST_DIR}/number_format.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scientific_digits.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../platform/large_array_posix.cpp)
  target_include_directories(qvb_convert_fast PUBLIC ${PROJECT_SOURCE_DIR}/src)
  set_target_properties(qvb_convert_fast PROPERTIES
    POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if(QVB_USE_BLAS AND QVB_SERIAL_BLAS)
    get_filename_component(QVB_SERIAL_BLAS_DIR "${QVB_SERIAL_BLAS}" DIRECTORY)
    set(QVB_SERIAL_BLAS_DIR "${QVB_SERIAL_BLAS_DIR}" CACHE INTERNAL "Run path of the serial BLAS")
    target_compile_definitions(qvb_convert_fast PRIVATE QVB_HAVE_BLAS)
    target_link_libraries(qvb_convert_fast PUBLIC "${QVB_SERIAL_BLAS}")
    target_link_options(qvb_convert_fast INTERFACE "LINKER:-rpath,${QVB_SERIAL_BLAS_DIR}")
    message(STATUS "qvb: Gram kernels use the single-threaded BLAS ${QVB_SERIAL_BLAS}")
  else()
    set(QVB_SERIAL_BLAS_DIR "" CACHE INTERNAL "Run path of the serial BLAS")
    message(STATUS "qvb: Gram kernels use built-in loops (QVB_USE_BLAS=${QVB_USE_BLAS}, QVB_SERIAL_BLAS=${QVB_SERIAL_BLAS})")
  endif()
endif()
