# Fast kernels of the converter: invariants 5 and 9 from weighted Gram
# matrices, and the printf-compatible number formatter. Included by the
# converter, the benchmarks and their tests; defined once per build tree.
#
# The Gram matrices want an optimised BLAS (OpenBLAS, threaded); any BLAS
# with the Fortran interface works, and without one the kernel falls back to
# its own blocked loops (correct, several times slower).
if(NOT TARGET qvb_convert_fast)
  set(BLA_VENDOR OpenBLAS)
  find_package(BLAS QUIET)
  if(NOT BLAS_FOUND)
    unset(BLA_VENDOR)
    find_package(BLAS QUIET)
  endif()
  add_library(qvb_convert_fast STATIC
    ${CMAKE_CURRENT_LIST_DIR}/invariants_5_9_blas.cpp
    ${CMAKE_CURRENT_LIST_DIR}/number_format.cpp)
  target_include_directories(qvb_convert_fast PUBLIC ${PROJECT_SOURCE_DIR}/src)
  set_target_properties(qvb_convert_fast PROPERTIES
    POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if(BLAS_FOUND)
    target_compile_definitions(qvb_convert_fast PRIVATE QVB_HAVE_BLAS)
    target_link_libraries(qvb_convert_fast PUBLIC ${BLAS_LIBRARIES})
    message(STATUS "qvb: Gram kernels use BLAS ${BLAS_LIBRARIES}")
  else()
    message(STATUS "qvb: no BLAS found, Gram kernels use built-in loops")
  endif()
  unset(BLA_VENDOR)
endif()
