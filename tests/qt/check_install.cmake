# Installs the build tree BUILD_DIR under PREFIX and checks that the program
# and its desktop entry are where a desktop looks for them.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
if(NOT EXISTS "${PREFIX}/bin/zelquin" OR IS_DIRECTORY "${PREFIX}/bin/zelquin")
  message(FATAL_ERROR "bin/zelquin was not installed")
endif()
set(entry "${PREFIX}/share/applications/zelquin.desktop")
if(NOT EXISTS "${entry}")
  message(FATAL_ERROR "share/applications/zelquin.desktop was not installed")
endif()
file(STRINGS "${entry}" execLines REGEX "^Exec=")
if(NOT execLines STREQUAL "Exec=zelquin")
  message(FATAL_ERROR "the desktop entry does not start zelquin: ${execLines}")
endif()
