# What a process outside CMake's control needs to load an instrumented
# libqvb.so: the sanitizer flags for programs built against it, and the ASan
# runtime to preload into interpreters (Python) that were not built with it.

set(QVB_SANITIZER_FLAGS "")
set(QVB_SANITIZER_PRELOAD "")
if(QVB_SANITIZE)
  set(QVB_SANITIZER_FLAGS "-fsanitize=address,undefined")
  # The C++ runtime is preloaded with it: ASan finds the real exception
  # thrower when it starts, and a C program such as Python has not loaded
  # libstdc++ by then, so the first C++ exception would abort the process.
  foreach(runtime libasan.so libstdc++.so.6)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND QVB_SANITIZER_PRELOAD ${path})
  endforeach()
  string(REPLACE ";" ":" QVB_SANITIZER_PRELOAD "${QVB_SANITIZER_PRELOAD}")
endif()

# Environment entries for a test that runs Python over an instrumented library.
# Leak checking is off there: the interpreter keeps memory until exit by design.
set(QVB_SANITIZER_PYTHON_ENV "")
if(QVB_SANITIZER_PRELOAD)
  set(QVB_SANITIZER_PYTHON_ENV
      "LD_PRELOAD=${QVB_SANITIZER_PRELOAD}" "ASAN_OPTIONS=detect_leaks=0")
endif()
