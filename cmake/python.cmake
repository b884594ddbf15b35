# The Python interpreter for the qvb package, its tests and qvb-plot.
#
# The package needs numpy (and matplotlib for pictures); the first python3
# that imports numpy wins. The system interpreter is tried before whatever
# python3 comes first on PATH, because version managers often put an
# interpreter without the system's packages there. Set QVB_PYTHON to choose.
include_guard(GLOBAL)

set(QVB_PYTHON "" CACHE FILEPATH "Python 3 interpreter with numpy for the qvb package")

function(_qvb_python_has_numpy interpreter result)
  execute_process(COMMAND ${interpreter} -c "import numpy"
                  RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(status EQUAL 0)
    set(${result} TRUE PARENT_SCOPE)
  else()
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()

if(NOT QVB_PYTHON)
  find_program(_qvb_path_python3 python3)
  foreach(candidate /usr/bin/python3 ${_qvb_path_python3})
    if(EXISTS ${candidate})
      _qvb_python_has_numpy(${candidate} _qvb_ok)
      if(_qvb_ok)
        set(QVB_PYTHON ${candidate} CACHE FILEPATH
            "Python 3 interpreter with numpy for the qvb package" FORCE)
        break()
      endif()
    endif()
  endforeach()
  if(NOT QVB_PYTHON)
    message(STATUS "qvb: no python3 with numpy found; the Python host is neither tested nor "
                   "installed (apt-get install python3-numpy python3-matplotlib python3-pytest)")
  endif()
endif()

# Where the package goes below the install prefix: the interpreter's own
# layout (Debian's "dist-packages", elsewhere "site-packages").
if(QVB_PYTHON AND NOT DEFINED QVB_INSTALL_PYTHONDIR)
  execute_process(
    COMMAND ${QVB_PYTHON} -c
      "import sys, sysconfig; v = '%d.%d' % sys.version_info[:2]; \
kind = 'dist-packages' if 'dist-packages' in sysconfig.get_paths()['purelib'] else 'site-packages'; \
print('lib/python%s/%s' % (v, kind))"
    OUTPUT_VARIABLE _qvb_pythondir OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(QVB_INSTALL_PYTHONDIR ${_qvb_pythondir} CACHE STRING
      "Folder below the install prefix for the qvb Python package")
endif()

# Whether QVB_PYTHON can import every module named.
function(qvb_python_has_modules result)
  string(JOIN ", " modules ${ARGN})
  set(${result} FALSE PARENT_SCOPE)
  if(QVB_PYTHON)
    execute_process(COMMAND ${QVB_PYTHON} -c "import ${modules}"
                    RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
    if(status EQUAL 0)
      set(${result} TRUE PARENT_SCOPE)
    endif()
  endif()
endfunction()
