# Installation: the library and its headers, the Python host with qvb-plot,
# and the files that let other projects build against the library (a CMake
# package and a pkg-config file). The plug-ins and commands are installed by
# the folders that build them.
#
# Included at the end of the top-level CMakeLists.txt, after every area.
#
# Installed layout (below the prefix):
#   include/qvb.h, include/qvb/*.h
#   <libdir>/libqvb.so*                       the front library
#   <libdir>/qvb/plugins/qvbflex.so, ...      storage backends
#   <libdir>/cmake/qvb/                       find_package(qvb) -> qvb::qvb
#   <libdir>/pkgconfig/qvb.pc
#   bin/qvb2mtx, bin/qvbcompare, bin/qvb-plot, ...
#   lib/python3.X/dist-packages/qvb/          the Python host
# Everything finds everything else relative to its own place, so an installed
# tree can be moved to another prefix and still works without environment.
include_guard(GLOBAL)
include(CMakePackageConfigHelpers)
include(${CMAKE_CURRENT_LIST_DIR}/python.cmake)

set(QVB_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/qvb CACHE STRING
    "Folder below the install prefix for the CMake package files")

# Relative path from one install folder to another, both given below the
# prefix (absolute folders pass through as they are).
function(_qvb_relative_path result from to)
  foreach(var from to)
    if(NOT IS_ABSOLUTE "${${var}}")
      set(${var} "/qvb-prefix/${${var}}")
    endif()
  endforeach()
  file(RELATIVE_PATH relative "${from}" "${to}")
  # "to" given as "." comes back as "../../": without the slash, the paths
  # built on it ("${prefix}/lib") have none doubled.
  string(REGEX REPLACE "/+$" "" relative "${relative}")
  if(relative STREQUAL "")
    set(relative ".")
  endif()
  set(${result} "${relative}" PARENT_SCOPE)
endfunction()

# -- the library and its headers ------------------------------------------
install(TARGETS qvb EXPORT qvbTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/qvb.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/qvb DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")

# -- CMake package: find_package(qvb) gives qvb::qvb -------------------------
install(EXPORT qvbTargets NAMESPACE qvb:: DESTINATION ${QVB_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/qvbConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/qvbConfig.cmake
  INSTALL_DESTINATION ${QVB_INSTALL_CMAKEDIR}
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR QVB_INSTALL_PLUGIN_DIR CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/qvbConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qvbConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/qvbConfigVersion.cmake
        DESTINATION ${QVB_INSTALL_CMAKEDIR})

# -- pkg-config: relocatable through ${pcfiledir} ----------------------------
_qvb_relative_path(QVB_PC_TO_PREFIX "${CMAKE_INSTALL_LIBDIR}/pkgconfig" ".")
configure_file(${CMAKE_CURRENT_LIST_DIR}/qvb.pc.in ${CMAKE_CURRENT_BINARY_DIR}/qvb.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qvb.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# -- Python host and qvb-plot ------------------------------------------------
if(QVB_PYTHON)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/qvb DESTINATION ${QVB_INSTALL_PYTHONDIR}
    PATTERN "__pycache__" EXCLUDE PATTERN "*.pyc" EXCLUDE)

  # Tells the installed package where its library and commands are.
  _qvb_relative_path(_qvb_py_to_lib "${QVB_INSTALL_PYTHONDIR}/qvb" "${CMAKE_INSTALL_LIBDIR}")
  _qvb_relative_path(_qvb_py_to_bin "${QVB_INSTALL_PYTHONDIR}/qvb" "${CMAKE_INSTALL_BINDIR}")
  file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/python/_install_paths.py CONTENT
"# Written by the install step: where this installation keeps its library and
# commands, relative to the package folder.
LIBRARY = \"${_qvb_py_to_lib}/$<TARGET_SONAME_FILE_NAME:qvb>\"
BINDIR = \"${_qvb_py_to_bin}\"
")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/python/_install_paths.py
          DESTINATION ${QVB_INSTALL_PYTHONDIR}/qvb)

  # qvb-plot runs with the interpreter that has numpy and finds the package
  # relative to itself. The build tree gets a copy too, in bin/ beside the
  # other commands, that uses the source tree's package and this build's
  # library.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/python/qvb-plot)
  file(READ ${PROJECT_SOURCE_DIR}/python/qvb-plot _qvb_plot)
  string(REGEX REPLACE "^#![^\n]*" "#!${QVB_PYTHON}" _qvb_plot "${_qvb_plot}")
  _qvb_relative_path(_qvb_bin_to_py "${CMAKE_INSTALL_BINDIR}" "${QVB_INSTALL_PYTHONDIR}")
  string(REGEX REPLACE "\nPACKAGE_PARENT = [^\n]*" "\nPACKAGE_PARENT = \"${_qvb_bin_to_py}\""
         _qvb_plot_installed "${_qvb_plot}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/python/qvb-plot "${_qvb_plot_installed}")
  install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/python/qvb-plot
          DESTINATION ${CMAKE_INSTALL_BINDIR})

  string(REGEX REPLACE "\nPACKAGE_PARENT = [^\n]*"
         "\nPACKAGE_PARENT = \"${PROJECT_SOURCE_DIR}/python\"" _qvb_plot_build "${_qvb_plot}")
  string(REGEX REPLACE "\nLIBRARY = [^\n]*" "\nLIBRARY = \"$<TARGET_FILE:qvb>\""
         _qvb_plot_build "${_qvb_plot_build}")
  file(GENERATE OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/qvb-plot CONTENT "${_qvb_plot_build}"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                        WORLD_READ WORLD_EXECUTE)
endif()
